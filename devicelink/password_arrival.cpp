#include "peripheral_manager.h"

#include <algorithm>

namespace vontal {

// The user defaults may answer a device's password later than the manager first asks (a keyring
// that is slow to answer at start). A device heard before then was taken for an unknown one, and
// a handshake that found no password waited; both are settled here.
void PeripheralManager::passwordsArrived() {
    const std::vector<PeripheralRef> listed = discoveredPeripherals_;
    for (const PeripheralRef& peripheral : listed)
        // One waiting out its pause is connected when the pause is over.
        if (!isBackingOff(peripheral->identifier()))
            connectWaiting(peripheral);

    auto awaiting = std::move(awaitingPassword_);
    awaitingPassword_.clear();
    for (auto& [identifier, awaited] : awaiting) {
        const PeripheralRef& peripheral = awaited.peripheral;
        const std::string key = passwordKey(*peripheral);
        if (platform_.defaults.mayStillArrive(key)) {
            awaitingPassword_.emplace(identifier, std::move(awaited));
            continue;
        }
        const bool listedAsConnected =
            std::any_of(connectedPeripherals_.begin(), connectedPeripherals_.end(),
                        [&](const PeripheralRef& entry) { return entry == peripheral; });
        if (!listedAsConnected || peripheral->state() != PeripheralState::Connected)
            continue;
        if (const auto stored = platform_.defaults.stringForKey(key))
            writePassword(peripheral, awaited.characteristic, *stored);
        else
            queuePasswordAlert(peripheral, awaited.characteristic, AlertKind::EnterPassword);
    }
}

} // namespace vontal
