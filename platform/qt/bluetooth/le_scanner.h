#pragma once

// A continuous Bluetooth LE scan on Qt's discovery agent. Qt's agent does not filter by service
// and stops after a timeout unless told not to; this one filters on the advertised services and
// reports each device once per scan.

#include "devicelink/bluetooth_uuid.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace vontal {

class LeScanner {
public:
    explicit LeScanner(std::function<void(const QBluetoothDeviceInfo&)> found);
    ~LeScanner();
    LeScanner(const LeScanner&) = delete;
    LeScanner& operator=(const LeScanner&) = delete;

    // Replaces any scan under way; an empty list means every LE device.
    void start(const QBluetoothAddress& adapter, std::vector<BluetoothUuid> services);
    void stop();
    // The adapter went away: forget the agent bound to it.
    void reset();
    bool scanning() const { return scanning_; }

private:
    void consider(const QBluetoothDeviceInfo& info);

    std::function<void(const QBluetoothDeviceInfo&)> found_;
    // One agent per adapter: stopping one agent and starting another would let the first one's
    // late StopDiscovery end the second one's scan, since both share one D-Bus connection.
    std::unique_ptr<QBluetoothDeviceDiscoveryAgent> agent_;
    QBluetoothAddress agentAdapter_;
    std::vector<BluetoothUuid> services_;
    std::set<BluetoothUuid> reported_;
    bool scanning_ = false;
};

} // namespace vontal
