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
        heard_.clear();
        sweepTimer_.reset();
        lastSentName_.clear();
        // Links ended with the radio, not because devices failed; the next scan starts afresh.
        // Being held back stays: only the user's "Connect" lets such a device connect again.
        for (auto& [identifier, device] : devices_) {
            device.connection = {};
            device.backoff = {};
            device.pendingScan.reset();
        }
        std::erase_if(devices_, [](const auto& device) { return device.second.empty(); });
        objectWillChange_.fire();
        break;
    default:
        log("Central state: " + std::to_string(static_cast<int>(central.state())));
        break;
    }
}

} // namespace vontal
