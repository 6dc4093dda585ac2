#include "peripheral_lists.h"
#include "peripheral_manager.h"

#include <algorithm>

namespace vontal {

// Devices that change their address every few minutes, or a street full of them, would fill
// "Discovered" for good. An unknown device not heard for a minute, or one the stack says it lost,
// is gone from the list; so is the one heard longest ago when the list is full. Known devices
// listed there (stopped by the user, or waiting out a pause) stay: the user decides about them.

void PeripheralManager::startScan(Central& central) {
    ++scanGeneration_;
    central.scanForPeripherals({serviceUUID});
}

bool PeripheralManager::repeatsPendingReport(const PeripheralRef& peripheral) const {
    return recordOf(peripheral->identifier()).pendingScan == scanGeneration_ &&
           holdsHandle(pendingPeripherals_, peripheral);
}

void PeripheralManager::stampHeard(const PeripheralRef& peripheral) {
    heard_[peripheral.get()] = Heard{sweeps_, ++heardCount_};
}

bool PeripheralManager::mayForget(const PeripheralRef& peripheral) const {
    return !holdsHandle(connectedPeripherals_, peripheral) &&
           !holdsHandle(pendingPeripherals_, peripheral) &&
           !platform_.defaults.stringForKey(passwordKey(*peripheral));
}

void PeripheralManager::appendDiscovered(const PeripheralRef& peripheral) {
    while (discoveredPeripherals_.size() >= settings_.discoveredCeiling) {
        auto oldest = discoveredPeripherals_.end();
        std::uint64_t oldestOrder = 0;
        for (auto entry = discoveredPeripherals_.begin(); entry != discoveredPeripherals_.end();
             ++entry) {
            const auto heard = heard_.find(entry->get());
            const std::uint64_t order = heard == heard_.end() ? 0 : heard->second.order;
            if ((oldest == discoveredPeripherals_.end() || order < oldestOrder) &&
                mayForget(*entry)) {
                oldest = entry;
                oldestOrder = order;
            }
        }
        // Only known devices left: they are listed all the same.
        if (oldest == discoveredPeripherals_.end())
            break;
        objectWillChange_.fire();
        heard_.erase(oldest->get());
        discoveredPeripherals_.erase(oldest);
    }
    objectWillChange_.fire();
    discoveredPeripherals_.push_back(peripheral);
    stampHeard(peripheral);
    if (!sweepTimer_) {
        std::weak_ptr<PeripheralManager*> weak = alive_;
        sweepTimer_ = platform_.timers.repeating(settings_.discoveredSweepInterval, [weak] {
            if (auto self = weak.lock())
                (*self)->sweepDiscovered();
        });
    }
}

void PeripheralManager::didLosePeripheral(Central& /*central*/, const PeripheralRef& peripheral) {
    // The platform forgot the device: no link of it will take an answer now.
    if (peripheral->state() != PeripheralState::Connected &&
        !holdsDevice(pendingPeripherals_, peripheral->identifier()))
        withdrawAlert(peripheral->identifier());
    if (mayForget(peripheral))
        unlistDiscovered(peripheral);
}

bool PeripheralManager::unlistDiscovered(const PeripheralRef& peripheral) {
    const auto listed =
        std::find(discoveredPeripherals_.begin(), discoveredPeripherals_.end(), peripheral);
    if (listed == discoveredPeripherals_.end())
        return false;
    objectWillChange_.fire();
    heard_.erase(peripheral.get());
    discoveredPeripherals_.erase(listed);
    return true;
}

void PeripheralManager::sweepDiscovered() {
    ++sweeps_;
    const auto interval = std::max(settings_.discoveredSweepInterval, std::chrono::milliseconds(1));
    // Whole sweeps that must pass unheard, plus the one in which the device was last heard.
    const auto unheardSweeps = static_cast<std::uint64_t>(
        (settings_.discoveredExpiry + interval - std::chrono::milliseconds(1)) / interval);

    std::vector<const Peripheral*> expired;
    for (const PeripheralRef& peripheral : discoveredPeripherals_) {
        const auto heard = heard_.find(peripheral.get());
        const std::uint64_t sweep = heard == heard_.end() ? sweeps_ : heard->second.sweep;
        if (sweeps_ - sweep > unheardSweeps && mayForget(peripheral))
            expired.push_back(peripheral.get());
    }
    if (!expired.empty()) {
        objectWillChange_.fire();
        std::erase_if(discoveredPeripherals_, [&](const PeripheralRef& peripheral) {
            return std::find(expired.begin(), expired.end(), peripheral.get()) != expired.end();
        });
        for (const Peripheral* peripheral : expired)
            heard_.erase(peripheral);
    }
    // A failure count matters only for automatic connection, which needs a stored password.
    for (auto& [identifier, device] : devices_)
        if (!device.backoff.pause && !platform_.defaults.stringForKey(identifier.toString()))
            device.backoff.failures = 0;
    std::erase_if(devices_, [](const auto& device) { return device.second.empty(); });
    if (discoveredPeripherals_.empty())
        sweepTimer_.reset();
}

} // namespace vontal
