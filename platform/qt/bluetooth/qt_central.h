#pragma once

// The Bluetooth LE central on Qt Bluetooth. Its state follows the adapter: no bluetoothd or no
// adapter is Unsupported, an adapter switched off is PoweredOff. Leaving PoweredOn ends every link
// and connection request at once, as the radio does; the device link hears the new state.

#include "bluez/bluez_client.h"
#include "central_link.h"
#include "devicelink/bluetooth.h"
#include "le_scanner.h"
#include "platform/diagnostics.h"

#include <map>
#include <memory>

namespace vontal {

class QtPeripheral;

class QtCentral final : public Central {
public:
    // `availability` (may be null) hears why the central is not powered on.
    QtCentral(CentralDelegate& delegate, Diagnostics& diagnostics,
              std::shared_ptr<AvailabilityReport> availability = nullptr);
    ~QtCentral() override;
    QtCentral(const QtCentral&) = delete;
    QtCentral& operator=(const QtCentral&) = delete;

    // The state the last delivered report announced.
    CentralState state() const override { return reported_; }
    void scanForPeripherals(const std::vector<BluetoothUuid>& serviceUuids) override;
    void stopScan() override;
    void connect(const PeripheralRef& peripheral) override;
    void cancelConnection(const PeripheralRef& peripheral) override;

    // Devices this central keeps track of (handles alive or not yet pruned), and devices its
    // scanner remembers; both stay bounded however many addresses come and go. For tests.
    std::size_t deviceCount() const { return peripherals_.size(); }
    std::size_t scannerCount() const { return scanner_.rememberedCount(); }
    std::size_t agentCount() const { return scanner_.agentCount(); }

private:
    QBluetoothAddress adapter() const;
    CentralState observedState() const;
    BluetoothProblem observedProblem() const;
    void checkBluez();
    void publishAvailability();
    // The first report waits for bluetoothd's first answer (or its failing to answer): until then
    // the state is not known, and the device link does nothing before the first report anyway.
    void reportFirstState();
    void adapterChanged();
    void found(const QBluetoothDeviceInfo& info);
    void deviceRemoved(const QBluetoothAddress& address);
    // Drops the entries of devices nobody holds any more, once the map has doubled.
    void pruneGoneDevices();
    std::shared_ptr<QtPeripheral> ours(const PeripheralRef& peripheral) const;
    template <typename Action> void forEachLivePeripheral(Action action);

    Diagnostics& diagnostics_;
    std::shared_ptr<CentralLink> link_;
    std::shared_ptr<AvailabilityReport> availability_;
    // From the last look at bluetoothd (made at start and whenever it joins the bus).
    bool bluezTooOld_ = false;
    bool firstReported_ = false;
    // bluetoothd not answering was said; said again only after it answered in between.
    bool silenceSaid_ = false;
    CentralState observed_ = CentralState::Unknown;
    CentralState reported_ = CentralState::Unknown;
    // Weak: a device lives as long as the device link holds it, and is the same object for as
    // long as it lives.
    std::map<BluetoothUuid, std::weak_ptr<QtPeripheral>> peripherals_;
    std::size_t pruneAt_ = 64;
    LeScanner scanner_;
    // Last: its callbacks use everything above.
    std::unique_ptr<BluezClient> bluez_;
};

} // namespace vontal
