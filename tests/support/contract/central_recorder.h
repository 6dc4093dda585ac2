#pragma once

// Both delegates of a central in one, writing every report down in order. A report that arrives
// while a test is inside a call to the central or a peripheral (`call`) breaks the promise every
// stack makes: reports are queued, never made from inside the call that caused them.

#include "devicelink/bluetooth.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vontal::contract {

struct CentralReport {
    // No defaulted std::optional<Error> argument: GCC 14 takes the empty temporary for an
    // uninitialized string when it inlines its destructor.
    explicit CentralReport(std::string what, PeripheralRef peripheral = nullptr,
                           CharacteristicRef characteristic = nullptr)
        : what(std::move(what)), peripheral(std::move(peripheral)),
          characteristic(std::move(characteristic)) {}
    CentralReport(std::string what, PeripheralRef peripheral, CharacteristicRef characteristic,
                  std::optional<Error> error)
        : what(std::move(what)), peripheral(std::move(peripheral)),
          characteristic(std::move(characteristic)), error(std::move(error)) {}

    // state, discover, connect, disconnect, services, characteristics, value, write, notify,
    // unsent or ready.
    std::string what;
    PeripheralRef peripheral;
    CharacteristicRef characteristic;
    std::optional<Error> error;
    // Of a discovery: the name the device advertised.
    std::optional<std::string> localName;
    // Of a value report: the characteristic's value as it was reported.
    std::optional<Bytes> value;
};

class CentralRecorder final : public CentralDelegate, public PeripheralDelegate {
public:
    // Runs one call of the central's or a peripheral's API, noting reports made inside it.
    template <typename Call> void call(Call&& function) {
        inside_ = true;
        function();
        inside_ = false;
    }

    std::size_t count(const std::string& what) const {
        return static_cast<std::size_t>(
            std::count_if(reports.begin(), reports.end(),
                          [&](const CentralReport& r) { return r.what == what; }));
    }
    std::vector<CentralReport> only(const std::string& what) const {
        std::vector<CentralReport> found;
        for (const CentralReport& report : reports)
            if (report.what == what)
                found.push_back(report);
        return found;
    }

    std::vector<CentralReport> reports;
    // What was reported inside a call.
    std::vector<std::string> synchronous;

    void centralManagerDidUpdateState(Central&) override { add(CentralReport{"state"}); }
    void didDiscoverPeripheral(Central&, const PeripheralRef& peripheral,
                               const AdvertisementData& advertisement, int) override {
        CentralReport report{"discover", peripheral};
        report.localName = advertisement.localName;
        add(std::move(report));
    }
    void didConnectPeripheral(Central&, const PeripheralRef& peripheral) override {
        add(CentralReport{"connect", peripheral});
    }
    void didDisconnectPeripheral(Central&, const PeripheralRef& peripheral,
                                 const std::optional<Error>& error) override {
        add(CentralReport{"disconnect", peripheral, nullptr, error});
    }
    void didDiscoverServices(const PeripheralRef& peripheral,
                             const std::optional<Error>& error) override {
        add(CentralReport{"services", peripheral, nullptr, error});
    }
    void didDiscoverCharacteristics(const PeripheralRef& peripheral, const ServiceRef&,
                                    const std::optional<Error>& error) override {
        add(CentralReport{"characteristics", peripheral, nullptr, error});
    }
    void didUpdateValue(const PeripheralRef& peripheral, const CharacteristicRef& characteristic,
                        const std::optional<Error>& error) override {
        CentralReport report{"value", peripheral, characteristic, error};
        report.value = characteristic->value();
        add(std::move(report));
    }
    void didWriteValue(const PeripheralRef& peripheral, const CharacteristicRef& characteristic,
                       const std::optional<Error>& error) override {
        add(CentralReport{"write", peripheral, characteristic, error});
    }
    void didUpdateNotificationState(const PeripheralRef& peripheral,
                                    const CharacteristicRef& characteristic,
                                    const std::optional<Error>& error) override {
        add(CentralReport{"notify", peripheral, characteristic, error});
    }
    void didFailWriteWithoutResponse(const PeripheralRef& peripheral,
                                     const CharacteristicRef& characteristic,
                                     const Error& error) override {
        add(CentralReport{"unsent", peripheral, characteristic, error});
    }
    void peripheralIsReadyToSendWriteWithoutResponse(const PeripheralRef& peripheral) override {
        add(CentralReport{"ready", peripheral});
    }

private:
    void add(CentralReport report) {
        if (inside_)
            synchronous.push_back(report.what);
        reports.push_back(std::move(report));
    }
    bool inside_ = false;
};

} // namespace vontal::contract
