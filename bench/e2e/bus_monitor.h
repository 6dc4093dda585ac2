#pragma once

// A monitor on a D-Bus bus (org.freedesktop.DBus.Monitoring.BecomeMonitor) that stamps every GATT
// WriteValue call (on a session bus: every report of the application in front to vontal, type
// "report", value the desktop id) with CLOCK_MONOTONIC as soon as it is read off the bus, in
// GDBus's own worker thread. It sees each write when the bus daemon routes it, beside the device's
// side rather than behind it: a device that is still busy with an earlier write does not delay the
// stamp.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vontal::e2e {

// Nanoseconds on the steady clock: the time base of every figure the benchmark takes.
std::int64_t monotonicNs();

class BusMonitor {
public:
    struct Write {
        std::int64_t monotonicNs = 0;
        std::string path; // of the characteristic
        std::string value;
        std::string type; // the "type" option
    };

    // Throws std::runtime_error if the bus cannot be monitored.
    explicit BusMonitor(const std::string& address);
    ~BusMonitor();
    BusMonitor(const BusMonitor&) = delete;
    BusMonitor& operator=(const BusMonitor&) = delete;

    // The writes seen from index `first` on.
    std::vector<Write> since(std::size_t first) const;

private:
    struct Connection;
    void record(Write write);

    mutable std::mutex mutex_;
    std::vector<Write> writes_;
    // Last, so that it goes first: no write is recorded into a vector already gone.
    std::unique_ptr<Connection> connection_;
};

} // namespace vontal::e2e
