#pragma once

// The Bluetooth LE central as the device link sees it. Backends (the simulator, Qt Bluetooth, and
// later CoreBluetooth or WinRT) implement these classes; the manager talks to nothing else.
//
// Rules every backend keeps:
// - Every callback arrives on the main thread, one at a time, never from inside a call the
//   manager made (callbacks are queued, as a real radio would deliver them).
// - A write with response gets exactly one didWriteValue, with an error if the device refused
//   it. A write without response gets none, unless the stack knows it was not sent
//   (didFailWriteWithoutResponse).
// - Writes without response are paced by the stack's own answer, not by a timer: while one to a
//   peripheral still waits for the stack to take it, canSendWriteWithoutResponse() is false;
//   once the last one is answered (taken or failed) it is true again and
//   peripheralIsReadyToSendWriteWithoutResponse follows as a queued callback. A write handed
//   over while it is false is still sent; the caller decides whether to wait.
// - services() and characteristics() are absent until discovered.
// - The same device is reported as the same Peripheral object for as long as that object lives,
//   so handle equality (pointer equality) means "the same peripheral".
// - Once a Central is destroyed, neither it nor any peripheral it reported calls a delegate.

#include "bluetooth_uuid.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vontal {

using Bytes = std::vector<std::uint8_t>;

// An error answered by the stack or the device. The description is what a person reads in the log.
struct Error {
    std::string description;
};

// Numeric values are the ones the log shows.
enum class CentralState : int {
    Unknown = 0,
    Resetting = 1,
    Unsupported = 2,
    Unauthorized = 3,
    PoweredOff = 4,
    PoweredOn = 5,
};

enum class PeripheralState : int {
    Disconnected = 0,
    Connecting = 1,
    Connected = 2,
    Disconnecting = 3,
};

enum class WriteType : int {
    WithResponse = 0,
    WithoutResponse = 1,
};

class Characteristic {
public:
    virtual ~Characteristic() = default;
    virtual BluetoothUuid uuid() const = 0;
    // The last value read or notified; absent until one arrives.
    virtual std::optional<Bytes> value() const = 0;
    virtual bool isNotifying() const = 0;
};
using CharacteristicRef = std::shared_ptr<Characteristic>;

class Service {
public:
    virtual ~Service() = default;
    virtual BluetoothUuid uuid() const = 0;
    // Absent until characteristics were discovered for this service.
    virtual std::optional<std::vector<CharacteristicRef>> characteristics() const = 0;
};
using ServiceRef = std::shared_ptr<Service>;

class Peripheral;
using PeripheralRef = std::shared_ptr<Peripheral>;

class PeripheralDelegate {
public:
    virtual void didDiscoverServices(const PeripheralRef& peripheral,
                                     const std::optional<Error>& error) = 0;
    virtual void didDiscoverCharacteristics(const PeripheralRef& peripheral,
                                            const ServiceRef& service,
                                            const std::optional<Error>& error) = 0;
    virtual void didUpdateValue(const PeripheralRef& peripheral,
                                const CharacteristicRef& characteristic,
                                const std::optional<Error>& error) = 0;
    virtual void didWriteValue(const PeripheralRef& peripheral,
                               const CharacteristicRef& characteristic,
                               const std::optional<Error>& error) = 0;
    virtual void didUpdateNotificationState(const PeripheralRef& peripheral,
                                            const CharacteristicRef& characteristic,
                                            const std::optional<Error>& error) = 0;
    // A write without response that the stack could not send (too long for the link, the link
    // gone). Stacks that cannot tell never call this.
    virtual void didFailWriteWithoutResponse(const PeripheralRef& peripheral,
                                             const CharacteristicRef& characteristic,
                                             const Error& error) = 0;
    // Every write without response to the peripheral has been answered: the next one goes out
    // at once. Stacks that take such writes without answering never call this.
    virtual void peripheralIsReadyToSendWriteWithoutResponse(const PeripheralRef& /*peripheral*/) {}

protected:
    ~PeripheralDelegate() = default;
};

class Peripheral {
public:
    virtual ~Peripheral() = default;

    // Stable for the device. On Linux it is the address in the low 48 bits.
    virtual BluetoothUuid identifier() const = 0;
    virtual std::optional<std::string> name() const = 0;
    virtual PeripheralState state() const = 0;

    // Not owned; the delegate outlives the central that reported this peripheral.
    virtual void setDelegate(PeripheralDelegate* delegate) = 0;

    virtual void discoverServices(const std::vector<BluetoothUuid>& serviceUuids) = 0;
    // Absent until services were discovered.
    virtual std::optional<std::vector<ServiceRef>> services() const = 0;
    virtual void discoverCharacteristics(const std::vector<BluetoothUuid>& characteristicUuids,
                                         const ServiceRef& service) = 0;
    virtual void readValue(const CharacteristicRef& characteristic) = 0;
    virtual void setNotifyValue(bool enabled, const CharacteristicRef& characteristic) = 0;
    virtual void writeValue(const Bytes& value, const CharacteristicRef& characteristic,
                            WriteType type) = 0;
    // The most bytes one write of this type can carry on the current link; absent while the
    // stack does not know (no link, or a stack that does not tell).
    virtual std::optional<std::size_t> maximumWriteValueLength(WriteType type) const = 0;
    // False while a write without response to this peripheral still waits for the stack's
    // answer. Stacks that take such writes without answering always say true.
    virtual bool canSendWriteWithoutResponse() const { return true; }
};

// What a peripheral put in its advertisement. The device link does not read it; backends fill
// what they have.
struct AdvertisementData {
    std::optional<std::string> localName;
    std::vector<BluetoothUuid> serviceUuids;
};

class Central;

class CentralDelegate {
public:
    virtual void centralManagerDidUpdateState(Central& central) = 0;
    virtual void didDiscoverPeripheral(Central& central, const PeripheralRef& peripheral,
                                       const AdvertisementData& advertisementData, int rssi) = 0;
    virtual void didConnectPeripheral(Central& central, const PeripheralRef& peripheral) = 0;
    virtual void didDisconnectPeripheral(Central& central, const PeripheralRef& peripheral,
                                         const std::optional<Error>& error) = 0;
    // The stack stopped hearing a device it had reported and that has no link nor connection
    // request (bluetoothd removed its object). A later advertisement reports it again.
    virtual void didLosePeripheral(Central& /*central*/, const PeripheralRef& /*peripheral*/) {}

protected:
    ~CentralDelegate() = default;
};

class Central {
public:
    virtual ~Central() = default;

    virtual CentralState state() const = 0;
    // Replaces any scan under way. Repeated advertisements of one device give one report per
    // scan, and one more each time the device is heard again after a few seconds (at most one
    // report per device every few seconds), so that a device still in range is known to be.
    virtual void scanForPeripherals(const std::vector<BluetoothUuid>& serviceUuids) = 0;
    virtual void stopScan() = 0;
    virtual void connect(const PeripheralRef& peripheral) = 0;
    virtual void cancelConnection(const PeripheralRef& peripheral) = 0;
};

// Creates the central. The first state report arrives later, as a queued callback.
class BluetoothStack {
public:
    virtual ~BluetoothStack() = default;
    virtual std::unique_ptr<Central> makeCentral(CentralDelegate& delegate) = 0;
};

} // namespace vontal
