#pragma once

// A continuous Bluetooth LE scan on Qt's discovery agent. Qt's agent does not filter by service
// and stops after a timeout unless told not to; this one filters on the advertised services and
// reports each device once per scan, and again when it is heard after a few seconds.

#include "devicelink/bluetooth_uuid.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QElapsedTimer>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <unordered_map>
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
    // The device is gone: the next advertisement heard from it is reported at once.
    void forget(const BluetoothUuid& identifier) { reported_.erase(identifier); }
    // A device heard again is reported again after this long.
    static constexpr std::chrono::milliseconds kReportAgainAfter{5000};
    // How many devices the scanner remembers having reported (for tests).
    std::size_t rememberedCount() const { return reported_.size(); }
    // How many devices Qt's agent lists; it never forgets one by itself.
    std::size_t agentCount() const {
        return agent_ ? static_cast<std::size_t>(agent_->discoveredDevices().size()) : 0;
    }
    // Past this many, the agent's discovery is started again, which empties its list.
    static constexpr qsizetype kAgentListLimit = 1024;

private:
    void consider(const QBluetoothDeviceInfo& info);
    void restartWhenAgentListIsLong();

    std::function<void(const QBluetoothDeviceInfo&)> found_;
    // One agent per adapter: stopping one agent and starting another would let the first one's
    // late StopDiscovery end the second one's scan, since both share one D-Bus connection.
    std::unique_ptr<QBluetoothDeviceDiscoveryAgent> agent_;
    QBluetoothAddress agentAdapter_;
    std::vector<BluetoothUuid> services_;
    // When each device was last reported, on clock_. Entries older than kReportAgainAfter
    // mean nothing and are pruned as the map grows.
    std::unordered_map<BluetoothUuid, qint64> reported_;
    std::size_t pruneAt_ = 64;
    QElapsedTimer clock_;
    bool scanning_ = false;
    bool restartQueued_ = false;
    // Queued restarts check that the scanner still exists.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

} // namespace vontal
