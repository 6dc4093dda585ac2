#include "peripheral_manager.h"

namespace vontal {

void PeripheralManager::centralManagerDidUpdateState(Central& central) {
    switch (central.state()) {
    case CentralState::PoweredOn:
        log("Bluetooth powered ON — restarting scan and reconnect");
        central.stopScan();
        startScan(central);
        startKeepAlive();
        // Copy: a backend may report back while we walk, and the list must stay as it is.
        for (const PeripheralRef& peripheral : std::vector(connectedPeripherals_)) {
            if (peripheral->state() != PeripheralState::Connected)
                central_->connect(peripheral);
        }
        break;
    case CentralState::PoweredOff:
        log("Bluetooth powered OFF — clearing state");
        // Each list is published: observers hear of each change before it happens.
        objectWillChange_.fire();
        connectedPeripherals_.clear();
        objectWillChange_.fire();
        discoveredPeripherals_.clear();
        pendingPeripherals_.clear();
        pendingScan_.clear();
        heard_.clear();
        sweepTimer_.reset();
        unlocked_.clear();
        refused_.clear();
        awaitingPassword_.clear();
        lastSentName_.clear();
        cutAnnounced_.clear();
        writeErrorsLogged_.clear();
        // Links ended with the radio, not because devices failed; the next scan starts afresh.
        backoff_.clear();
        // heldBack_ stays: only the user's "Connect" lets such a device be connected again.
        objectWillChange_.fire();
        break;
    default:
        log("Central state: " + std::to_string(static_cast<int>(central.state())));
        break;
    }
}

} // namespace vontal
