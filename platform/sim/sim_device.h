#pragma once

#include "devicelink/bluetooth.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vontal {

struct SimCharacteristicSpec {
    BluetoothUuid uuid;
    // What a read gives (and the starting point of notifications).
    Bytes value;
    // Overrides the device's answer delay for requests on this characteristic.
    std::optional<std::chrono::milliseconds> answerDelay = std::nullopt;
};

struct SimServiceSpec {
    BluetoothUuid uuid;
    // In the order the device lists them; the same UUID may appear more than once.
    std::vector<SimCharacteristicSpec> characteristics;
};

// A scripted peripheral. Everything here can also be changed while the simulation runs through
// SimBluetoothStack.
struct SimDeviceSpec {
    BluetoothUuid identifier;
    std::optional<std::string> name;
    // Matched by value against a scan's service list.
    std::vector<BluetoothUuid> advertisedServices;
    // GATT layout, in the order the device lists it; duplicate services are allowed.
    std::vector<SimServiceSpec> services;

    // Writes with response to this characteristic are checked against `password`; anything else
    // is refused with `passwordRefusal`. Without a password every write is accepted.
    std::optional<BluetoothUuid> passwordCharacteristic;
    std::optional<std::string> password;
    // Refuse this many password writes first, whatever they hold.
    int refuseFirstPasswordWrites = 0;
    // Drop the link instead of answering a password write (a faulty or hostile device).
    bool dropsLinkOnPasswordWrite = false;
    Error passwordRefusal{"Authentication is insufficient."};

    bool advertising = true;
    bool inRange = true;
    // Most small devices stop advertising while a central is connected.
    bool advertisesWhileConnected = false;
    int rssi = -60;

    // How long the device takes to answer a request (discovery reports included), and to
    // complete a connection. Zero answers on the next turn of the main queue.
    std::chrono::milliseconds answerDelay{0};
    std::chrono::milliseconds connectDelay{0};
    // How long the stack takes to answer a write without response (take it, or fail it); the
    // answer delay when absent.
    std::optional<std::chrono::milliseconds> writeWithoutResponseDelay;

    // The link's ATT MTU once connected; a write without response longer than MTU - 3 is not
    // sent and fails with `oversizedWriteError`. Unknown (and unlimited) when absent.
    std::optional<std::size_t> mtu;
    Error oversizedWriteError{"Failed to initiate write"};
};

// Operations whose answer can be made to fail.
enum class SimOperation {
    DiscoverServices,
    DiscoverCharacteristics,
    ReadValue,
    WriteValue, // writes with response only: a write without response has no answer to fail
    // A write without response the stack reports as not sent (didFailWriteWithoutResponse).
    WriteWithoutResponse,
    SetNotifyValue,
};

struct SimFault {
    Error error;
    // Whether the operation still takes effect (services listed, value read, notifications
    // switched) and only the answer carries the error.
    bool keepResult = false;
};

inline constexpr int kSimFaultForever = -1;

} // namespace vontal
