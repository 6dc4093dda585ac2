#pragma once

#include "devicelink/bluetooth.h"

#include <iosfwd>
#include <optional>
#include <vector>

namespace vontal {

// One thing a central asked of the Bluetooth stack, recorded in the order asked.
struct SimRequest {
    enum class Kind {
        Scan,
        StopScan,
        Connect,
        CancelConnection,
        DiscoverServices,
        DiscoverCharacteristics,
        ReadValue,
        SetNotifyValue,
        WriteValue,
    };

    Kind kind = Kind::Scan;
    // The central that asked, numbered from 1 in the order the centrals were made.
    int central = 0;
    // Absent for scans.
    std::optional<BluetoothUuid> device;
    // The service list of a scan, or the filter of a discovery.
    std::vector<BluetoothUuid> uuids;
    // The service whose characteristics are discovered, or that holds the characteristic.
    std::optional<BluetoothUuid> service;
    std::optional<BluetoothUuid> characteristic;
    // Position in the device's GATT layout (-1 when not applicable or unknown).
    int serviceIndex = -1;
    int characteristicIndex = -1;
    Bytes value;
    WriteType writeType = WriteType::WithResponse;
    bool enabled = false; // setNotifyValue
    // Whether the link was up when asked (for the central's own requests: whether the radio
    // was on).
    bool linkUp = false;
    // Whether the service or characteristic handle belongs to this peripheral's current link and
    // was discovered; a request with a foreign or stale handle is recorded and otherwise ignored.
    bool validHandle = true;
    // Writes: whether the device had accepted a password on this link when asked, and whether
    // the write was too long for the link to send.
    bool unlocked = false;
    bool tooLong = false;
    // Writes without response: how many to this peripheral the stack had not answered yet, this
    // one included (0 for one that never reached the stack).
    int inFlight = 0;

    // Whether the request reached the device.
    bool delivered() const { return linkUp && validHandle && !tooLong; }
};

// Writes without response one device was handed over all links, counted even while recording is
// off.
struct SimWriteLoad {
    std::size_t writes = 0;
    // The most that waited for the stack's answer at one time.
    int mostInFlight = 0;
};

// A write the device received.
struct SimWrite {
    BluetoothUuid characteristic;
    Bytes value;
    WriteType type = WriteType::WithResponse;

    friend bool operator==(const SimWrite&, const SimWrite&) = default;
};

std::ostream& operator<<(std::ostream& out, SimRequest::Kind kind);
std::ostream& operator<<(std::ostream& out, const SimRequest& request);
std::ostream& operator<<(std::ostream& out, const SimWrite& write);

} // namespace vontal
