#include "peripheral_manager.h"
#include "platform/backoff.h"

#include <utility>

namespace vontal {

// A device whose connections keep ending before it accepts its password (one that drops the
// link on every password write, say) would otherwise be reconnected as fast as the radio allows.

void PeripheralManager::connectionFailed(const PeripheralRef& peripheral) {
    DeviceRecord::Backoff& backoff = record(peripheral->identifier()).backoff;
    ++backoff.failures;
    if (const auto line = keepsFailingLine(backoff.failures, displayName(peripheral),
                                           settings_.maximumReconnectPause))
        log(*line);
    std::weak_ptr<PeripheralManager*> weak = alive_;
    backoff.pause =
        platform_.timers.singleShot(backoffPause(backoff.failures, settings_.firstReconnectPause,
                                                 settings_.maximumReconnectPause),
                                    [weak, identifier = peripheral->identifier()] {
                                        if (auto self = weak.lock())
                                            (*self)->backoffPauseOver(identifier);
                                    });
}

void PeripheralManager::backoffPauseOver(const BluetoothUuid& identifier) {
    // The count stays: the next failure waits longer. Only an unlock or the user resets it.
    std::vector<PeripheralRef> waiting;
    change(identifier, [&](DeviceRecord& device) {
        device.backoff.pause.reset();
        waiting = std::exchange(device.backoff.waiting, {});
    });
    for (const PeripheralRef& peripheral : waiting)
        connectWaiting(peripheral);
}

void PeripheralManager::resetBackoff(const BluetoothUuid& identifier) {
    std::vector<PeripheralRef> waiting;
    change(identifier,
           [&](DeviceRecord& device) { waiting = std::exchange(device.backoff, {}).waiting; });
    // What waited goes ahead now.
    for (const PeripheralRef& peripheral : waiting)
        connectWaiting(peripheral);
}

void PeripheralManager::connectWaiting(const PeripheralRef& peripheral) {
    // The user may have connected it, stopped it or forgotten its password meanwhile, and a
    // power-off empties the list: then it is not an automatic connection any more.
    if (isHeldBack(peripheral->identifier()) ||
        !platform_.defaults.stringForKey(passwordKey(*peripheral)))
        return;
    if (unlistDiscovered(peripheral))
        connectKnown(*central_, peripheral);
}

} // namespace vontal
