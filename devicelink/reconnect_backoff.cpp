#include "peripheral_manager.h"

#include <algorithm>

namespace vontal {
namespace {

std::string describe(std::chrono::milliseconds pause) {
    if (pause.count() % 1000 == 0)
        return std::to_string(pause.count() / 1000) + " s";
    return std::to_string(pause.count()) + " ms";
}

} // namespace

// A device whose connections keep ending before it accepts its password (one that drops the
// link on every password write, say) would otherwise be reconnected as fast as the radio allows.

bool PeripheralManager::isBackingOff(const BluetoothUuid& identifier) const {
    const auto entry = backoff_.find(identifier);
    return entry != backoff_.end() && entry->second.pause.has_value();
}

void PeripheralManager::connectionFailed(const PeripheralRef& peripheral) {
    Backoff& backoff = backoff_[peripheral->identifier()];
    ++backoff.failures;
    auto pause = settings_.firstReconnectPause;
    for (int i = 1; i < backoff.failures && pause < settings_.maximumReconnectPause; ++i)
        pause *= 2;
    pause = std::min(pause, settings_.maximumReconnectPause);
    if (backoff.failures == 2)
        log("Connecting " + displayName(peripheral) +
            " keeps failing; trying again after a growing pause, up to " +
            describe(settings_.maximumReconnectPause));
    std::weak_ptr<PeripheralManager*> weak = alive_;
    backoff.pause =
        platform_.timers.singleShot(pause, [weak, identifier = peripheral->identifier()] {
            if (auto self = weak.lock())
                (*self)->backoffPauseOver(identifier);
        });
}

void PeripheralManager::backoffPauseOver(const BluetoothUuid& identifier) {
    const auto entry = backoff_.find(identifier);
    if (entry == backoff_.end())
        return;
    // The count stays: the next failure waits longer. Only an unlock or the user resets it.
    entry->second.pause.reset();
    const std::vector<PeripheralRef> waiting = std::move(entry->second.waiting);
    entry->second.waiting.clear();
    for (const PeripheralRef& peripheral : waiting)
        connectWaiting(peripheral);
}

void PeripheralManager::resetBackoff(const BluetoothUuid& identifier) {
    const auto entry = backoff_.find(identifier);
    if (entry == backoff_.end())
        return;
    const std::vector<PeripheralRef> waiting = std::move(entry->second.waiting);
    backoff_.erase(entry);
    // What waited goes ahead now.
    for (const PeripheralRef& peripheral : waiting)
        connectWaiting(peripheral);
}

void PeripheralManager::connectWaiting(const PeripheralRef& peripheral) {
    // The user may have connected it, stopped it or forgotten its password meanwhile, and a
    // power-off empties the list: then it is not an automatic connection any more.
    if (heldBack_.contains(peripheral->identifier()) ||
        !platform_.defaults.stringForKey(passwordKey(*peripheral)))
        return;
    const auto listed =
        std::find(discoveredPeripherals_.begin(), discoveredPeripherals_.end(), peripheral);
    if (listed == discoveredPeripherals_.end())
        return;
    objectWillChange_.fire();
    discoveredPeripherals_.erase(listed);
    pendingPeripherals_.push_back(peripheral);
    pendingScan_[peripheral->identifier()] = scanGeneration_;
    peripheral->setDelegate(this);
    central_->connect(peripheral);
}

} // namespace vontal
