#pragma once

#include "devicelink/bluetooth.h"
#include "platform/main_queue.h"

#include <memory>
#include <string>
#include <vector>

namespace vontal {

// A Bluetooth stack that only powers on and reports advertising peripherals, each answering
// name() and state() in constant time as a real stack's handles do. The benchmarks measure the
// window, not the simulator's bookkeeping.
class BulkStack final : public BluetoothStack {
public:
    explicit BulkStack(MainQueue& queue) : queue_(queue) {}

    std::unique_ptr<Central> makeCentral(CentralDelegate& delegate) override;
    // Queues one discovery report of a new peripheral to every central made so far.
    void advertise(std::uint64_t address, std::string name);

private:
    class BulkCentral;
    MainQueue& queue_;
    std::vector<BulkCentral*> centrals_;
};

} // namespace vontal
