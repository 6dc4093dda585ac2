#pragma once

// Inside the simulated Bluetooth stack: the state shared by the stack object, its centrals and
// their peripherals. Tests use SimBluetoothStack, not this.

#include "platform/main_queue.h"
#include "platform/timers.h"
#include "sim_device.h"
#include "sim_gatt.h"
#include "sim_record.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace vontal {

class SimCentralCore;
class SimPeripheral;

struct SimDeviceState {
    explicit SimDeviceState(SimDeviceSpec s);

    SimDeviceSpec deviceSpec;
    // What a read of each characteristic gives, [service][characteristic].
    std::vector<std::vector<Bytes>> values;
    int refusalsLeft = 0;
    // Links that are up, over all centrals.
    int links = 0;
    SimWriteLoad writeLoad;

    struct PendingFault {
        SimOperation operation;
        std::optional<BluetoothUuid> target;
        SimFault fault;
        int remaining; // kSimFaultForever: never used up
    };
    std::vector<PendingFault> faults;

    // Takes the fault that applies to this operation, if any.
    std::optional<SimFault> takeFault(SimOperation operation,
                                      const std::optional<BluetoothUuid>& target);
    bool advertisingNow() const;
    bool reachable() const { return deviceSpec.inRange && advertisingNow(); }
};

class SimStackCore final : public std::enable_shared_from_this<SimStackCore> {
public:
    SimStackCore(MainQueue& queue, Timers& timers) : queue(queue), timers(timers) {}

    MainQueue& queue;
    Timers& timers;
    CentralState radio = CentralState::PoweredOn;
    // In the order they were added, with an index by identifier.
    std::vector<std::unique_ptr<SimDeviceState>> devices;
    std::unordered_map<BluetoothUuid, SimDeviceState*> byIdentifier;
    std::vector<std::weak_ptr<SimCentralCore>> centrals;
    std::vector<SimRequest> requests;
    bool recording = true;
    int nextCentral = 1;
    std::optional<std::chrono::milliseconds> reportAgainAfter;

    SimDeviceState* device(const BluetoothUuid& identifier);
    void record(SimRequest request);
    // Runs `task` later: on the next turn of the main queue, or after `delay` on a timer.
    void deliver(std::chrono::milliseconds delay, std::function<void()> task);
    // Live centrals, oldest first.
    std::vector<std::shared_ptr<SimCentralCore>> liveCentrals();

    // The device may have become visible or connectable: offer it to every scan, and let
    // pending connections to it go ahead.
    void deviceMayBeReachable(SimDeviceState& device);

private:
    std::map<std::uint64_t, Subscription> delayed_;
    std::uint64_t nextDelayed_ = 1;
};

class SimCentralCore final : public std::enable_shared_from_this<SimCentralCore> {
public:
    SimCentralCore(std::shared_ptr<SimStackCore> stack, CentralDelegate& delegate, Central& owner,
                   int serial)
        : stack(std::move(stack)), delegate(delegate), owner(owner), serial(serial) {}

    std::shared_ptr<SimStackCore> stack;
    CentralDelegate& delegate;
    Central& owner;
    const int serial;
    CentralState reported = CentralState::Unknown;
    bool alive = true;

    bool scanning = false;
    std::vector<BluetoothUuid> scanFilter;
    std::uint64_t scanGeneration = 0;
    std::map<BluetoothUuid, std::uint64_t> reportedInScan;
    std::map<BluetoothUuid, std::shared_ptr<SimPeripheral>> peripherals;
    // While scanning with reportAgainAfter: lets every device be reported once more.
    std::optional<Subscription> hearing;

    std::shared_ptr<SimPeripheral> peripheral(const SimDeviceState& device);
    void reportState(CentralState state);
    // Schedules a discovery report if the current scan should see the device.
    void offer(const SimDeviceState& device);
    bool wouldReport(const SimDeviceState& device) const;
    void stopScanning();
    // Starts the scan's repeated hearing, when the stack asks for one.
    void startHearing();
    // The radio went down: every link and attempt ends, and no callback says so.
    void dropEverything();
};

class SimPeripheral final : public Peripheral, public std::enable_shared_from_this<SimPeripheral> {
public:
    SimPeripheral(std::weak_ptr<SimCentralCore> central, BluetoothUuid identifier,
                  std::optional<std::string> name)
        : central_(std::move(central)), identifier_(identifier), name_(std::move(name)) {}

    BluetoothUuid identifier() const override { return identifier_; }
    std::optional<std::string> name() const override;
    PeripheralState state() const override { return state_; }
    void setDelegate(PeripheralDelegate* delegate) override { delegate_ = delegate; }
    void discoverServices(const std::vector<BluetoothUuid>& serviceUuids) override;
    std::optional<std::vector<ServiceRef>> services() const override { return discovered_; }
    void discoverCharacteristics(const std::vector<BluetoothUuid>& characteristicUuids,
                                 const ServiceRef& service) override;
    void readValue(const CharacteristicRef& characteristic) override;
    void setNotifyValue(bool enabled, const CharacteristicRef& characteristic) override;
    void writeValue(const Bytes& value, const CharacteristicRef& characteristic,
                    WriteType type) override;
    std::optional<std::size_t> maximumWriteValueLength(WriteType type) const override;
    bool canSendWriteWithoutResponse() const override { return writesInFlight_ == 0; }

    // Driven by the central and the stack.
    void beginConnecting();
    void tryToComplete();
    // Ends the link or the attempt; tells the delegate of the central if `report` is set.
    void drop(bool report, const std::optional<Error>& error);
    // The device sent a value; delivered for every discovered characteristic with this UUID
    // that notifies (or every one, if `evenIfNotSubscribed`).
    void deviceNotified(const BluetoothUuid& uuid, const Bytes& value, bool evenIfNotSubscribed);
    bool unlocked() const { return unlocked_ && state_ == PeripheralState::Connected; }

private:
    // The request record common to all peripheral operations.
    SimRequest request(SimRequest::Kind kind) const;
    // The simulator's handle behind a service or characteristic, if it belongs to this link.
    template <typename Handle, typename Ref>
    std::shared_ptr<Handle> ownHandle(const Ref& handle) const;
    // Runs `answer` after the device's answer delay (or the characteristic's own) if this link
    // is still up by then.
    void answer(std::function<void(SimPeripheral&, PeripheralDelegate&)> answer,
                const SimCharacteristic* about = nullptr,
                std::optional<std::chrono::milliseconds> delay = std::nullopt);

    std::weak_ptr<SimCentralCore> central_;
    BluetoothUuid identifier_;
    std::optional<std::string> name_;
    PeripheralState state_ = PeripheralState::Disconnected;
    PeripheralDelegate* delegate_ = nullptr;
    std::uint64_t link_ = 0;    // counts links that came up
    std::uint64_t attempt_ = 0; // counts connection attempts
    bool unlocked_ = false;
    // Writes without response on this link the stack has not answered yet.
    int writesInFlight_ = 0;
    std::vector<std::shared_ptr<SimService>> linkServices_;
    std::optional<std::vector<ServiceRef>> discovered_;
};

class SimCentral final : public Central {
public:
    SimCentral(std::shared_ptr<SimStackCore> stack, CentralDelegate& delegate);
    ~SimCentral() override;

    CentralState state() const override { return core_->reported; }
    void scanForPeripherals(const std::vector<BluetoothUuid>& serviceUuids) override;
    void stopScan() override;
    void connect(const PeripheralRef& peripheral) override;
    void cancelConnection(const PeripheralRef& peripheral) override;

    const std::shared_ptr<SimCentralCore>& core() const { return core_; }

private:
    std::shared_ptr<SimPeripheral> own(const PeripheralRef& peripheral) const;
    SimRequest request(SimRequest::Kind kind) const;

    std::shared_ptr<SimCentralCore> core_;
};

} // namespace vontal
