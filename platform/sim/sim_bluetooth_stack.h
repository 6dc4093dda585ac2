#pragma once

#include "devicelink/bluetooth.h"
#include "platform/bluetooth_availability.h"
#include "platform/main_queue.h"
#include "platform/timers.h"
#include "sim_device.h"
#include "sim_record.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vontal {

class SimStackCore;

// A Bluetooth stack with scripted devices. It delivers every callback later through the main
// queue or a timer, never inside the call that caused it, and never after the central that would
// report it is destroyed. It records everything the centrals ask for, so tests can assert on
// what each device received.
//
// What it models:
// - The radio: any state but powered on ends every link and scan without a disconnection
//   callback (only the state report says so), and scans and connections are not started while
//   it is not on. Every central gets a state report on creation and on every change.
// - Scans: one report per device per scan (and again every so often, when told); a new scan (or
//   stopScan) replaces the old one. A
//   device is reported while it advertises a listed service (any service for an empty list), is
//   in range and, unless it says otherwise, has no link up.
// - Connections: pending until the device is in range and advertising; never time out. Links
//   end by cancelConnection, link loss or going out of range, each with a disconnection callback.
//   Services and characteristics are new objects on each link and absent until discovered;
//   answers meant for a link that has ended never arrive.
// - Writes with response get exactly one answer. Writes without response are answered to the
//   stack only: a failure report if they could not be sent, and the ready callback once none to
//   the peripheral waits (after the write delay). Writes do not change what a later read gives.
// - Handles from another peripheral, another link, or not yet discovered are recorded as such and
//   otherwise ignored.
//
// What keeps it from scanning follows the radio: switched off is an adapter that is off, any other
// state but on is no adapter, unless a test names another reason. Switching the adapter on works
// (later, like a radio) unless a test makes it refuse.
class SimBluetoothStack final : public BluetoothStack, public BluetoothAvailability {
public:
    SimBluetoothStack(MainQueue& queue, Timers& timers);
    ~SimBluetoothStack() override;
    SimBluetoothStack(const SimBluetoothStack&) = delete;
    SimBluetoothStack& operator=(const SimBluetoothStack&) = delete;

    std::unique_ptr<Central> makeCentral(CentralDelegate& delegate) override;

    // --- Scripting. Calls naming an unknown device do nothing.

    // A device with an identifier already present is not added again; returns whether added.
    bool addDevice(SimDeviceSpec deviceSpec);
    // The device as it is scripted now, if the device exists.
    std::optional<SimDeviceSpec> device(const BluetoothUuid& device) const;
    std::vector<BluetoothUuid> devices() const;

    // Powered on when the stack is made. Every central is told, on the main queue, on every
    // call (the same state twice gives two reports, as a radio that went away and came back).
    void setRadioState(CentralState state);
    // The same, with the reason the window is told (the centrals hear only the state).
    void setRadioState(CentralState state, BluetoothProblem reason);
    CentralState radioState() const;
    // Requests to switch the adapter on are refused with this reason; nothing: they work.
    void refuseSwitchingOn(std::optional<std::string> reason);
    int switchOnRequests() const { return switchOnRequests_; }

    // BluetoothAvailability
    BluetoothProblem problem() const override { return problem_; }
    ChangeSignal& availabilityChanged() override { return availabilityChanged_; }
    void switchAdapterOn(std::function<void(std::optional<std::string>)> done) override;

    // The device is gone for good, as bluetoothd forgets a device not heard for a while: its
    // links end with a timeout error, and every central that has its handle and neither a link
    // nor a request to it hears it lost and forgets the handle.
    void removeDevice(const BluetoothUuid& device);
    // Every scan reports each device it sees once more after this long, as a radio hears a
    // device that keeps advertising. Nothing (the default): one report per scan.
    void setReportAgainAfter(std::optional<std::chrono::milliseconds> interval);
    // How many handles the central keeps (for tests of the stack's own bookkeeping).
    std::size_t handleCount(const Central& central) const;

    void setAdvertising(const BluetoothUuid& device, bool advertising);
    // Going out of range ends the device's links with a timeout error.
    void setInRange(const BluetoothUuid& device, bool inRange);
    // The device drops its links.
    void loseLink(const BluetoothUuid& device,
                  Error error = {"The connection has timed out unexpectedly."});

    void setName(const BluetoothUuid& device, std::optional<std::string> name);
    void setPassword(const BluetoothUuid& device, std::optional<std::string> password);
    // The next `count` password writes are refused, whatever they hold.
    void refusePasswordWrites(const BluetoothUuid& device, int count);
    void setDropsLinkOnPasswordWrite(const BluetoothUuid& device, bool drops);
    // What later reads of every characteristic with this UUID give.
    void setValue(const BluetoothUuid& device, const BluetoothUuid& characteristic, Bytes value);
    // Sets the value and notifies every central that switched notifications on for it (or every
    // one that discovered it, with `evenIfNotSubscribed`).
    void notify(const BluetoothUuid& device, const BluetoothUuid& characteristic, Bytes value,
                bool evenIfNotSubscribed = false);
    void setAnswerDelay(const BluetoothUuid& device, std::chrono::milliseconds delay);
    void setConnectDelay(const BluetoothUuid& device, std::chrono::milliseconds delay);
    // How long the stack takes to answer each write without response to the device (absent: the
    // answer delay), which is how long the next name has to wait.
    void setWriteWithoutResponseDelay(const BluetoothUuid& device,
                                      std::optional<std::chrono::milliseconds> delay);
    // The ATT MTU of the device's links (absent: unknown and unlimited).
    void setMtu(const BluetoothUuid& device, std::optional<std::size_t> mtu);

    // The next `times` answers to `operation` (kSimFaultForever: all of them) carry the fault.
    // `target` narrows it to one characteristic UUID (read, write, notify) or service UUID
    // (characteristic discovery).
    void failNext(const BluetoothUuid& device, SimOperation operation, SimFault fault,
                  std::optional<BluetoothUuid> target = std::nullopt, int times = 1);
    void clearFaults(const BluetoothUuid& device);

    // --- Looking in.

    // The handle `central` uses for the device (made now if the central has not seen it yet),
    // or null when the central or the device is not the simulator's.
    PeripheralRef retrievePeripheral(const Central& central, const BluetoothUuid& device);
    // The most advanced state of the device's links over all live centrals.
    PeripheralState linkState(const BluetoothUuid& device) const;
    // Whether a link to the device is up and the device accepted a password on it.
    bool isUnlocked(const BluetoothUuid& device) const;

    // Everything every central asked for, in order.
    const std::vector<SimRequest>& requests() const;
    std::vector<SimRequest> requestsFor(const BluetoothUuid& device) const;
    std::vector<SimRequest> requestsOf(SimRequest::Kind kind) const;
    // Writes that reached the device, in order.
    std::vector<SimWrite> writes(const BluetoothUuid& device) const;
    // Just the bytes of the writes that reached one characteristic with one write type.
    std::vector<Bytes> writesTo(const BluetoothUuid& device, const BluetoothUuid& characteristic,
                                WriteType type) const;
    SimWriteLoad writeLoad(const BluetoothUuid& device) const;
    void clearRecord();
    // Benchmarks switch recording off; nothing is kept while it is.
    void setRecording(bool recording);

private:
    std::shared_ptr<SimStackCore> core_;
    BluetoothProblem problem_ = BluetoothProblem::None;
    ChangeSignal availabilityChanged_;
    std::optional<std::string> switchOnRefusal_;
    int switchOnRequests_ = 0;
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

} // namespace vontal
