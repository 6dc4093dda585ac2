#include "peripheral_lists.h"
#include "peripheral_manager.h"
#include "utf8.h"

namespace vontal {

void PeripheralManager::didDiscoverPeripheral(Central& central, const PeripheralRef& peripheral,
                                              const AdvertisementData& /*advertisementData*/,
                                              int /*rssi*/) {
    const BluetoothUuid identifier = peripheral->identifier();
    if (ignoreAutoReconnect_.contains(identifier) || holdsHandle(connectedPeripherals_, peripheral))
        return;
    if (holdsHandle(discoveredPeripherals_, peripheral)) {
        stampHeard(peripheral);
        return;
    }
    if (!platform_.defaults.stringForKey(passwordKey(*peripheral))) {
        appendDiscovered(peripheral);
        return;
    }
    // A known device the user stopped, or one waiting out its pause, is listed so that its
    // "Connect" is at hand rather than being in neither list.
    if (isHeldBack(identifier) || isBackingOff(identifier))
        listAsDiscovered(peripheral);
    // A known device: connect it without the user. It shows under "Connected" once its link is
    // up. The same scan hearing it again while its connection is under way asks nothing new:
    // the request stands, and the pending list would grow with every advertisement.
    else if (!repeatsPendingReport(peripheral))
        connectKnown(central, peripheral);
}

void PeripheralManager::connectKnown(Central& central, const PeripheralRef& peripheral) {
    pendingPeripherals_.push_back(peripheral);
    record(peripheral->identifier()).pendingScan = scanGeneration_;
    peripheral->setDelegate(this);
    central.connect(peripheral);
}

void PeripheralManager::didConnectPeripheral(Central& /*central*/,
                                             const PeripheralRef& peripheral) {
    const BluetoothUuid identifier = peripheral->identifier();
    const auto sameDevice = [&](const PeripheralRef& entry) {
        return entry->identifier() == identifier;
    };
    // A connection asked for before the user stopped the device: the device would only refuse
    // its stored password again.
    if (isHeldBack(identifier)) {
        std::erase_if(pendingPeripherals_, sameDevice);
        change(identifier, [](DeviceRecord& device) { device.pendingScan.reset(); });
        central_->cancelConnection(peripheral);
        return;
    }
    // A new connection: nothing it has not done itself yet counts.
    forgetConnection(identifier);
    const auto pending =
        std::find_if(pendingPeripherals_.begin(), pendingPeripherals_.end(), sameDevice);
    if (pending != pendingPeripherals_.end())
        pendingPeripherals_.erase(pending);
    if (!holdsDevice(pendingPeripherals_, identifier))
        change(identifier, [](DeviceRecord& device) { device.pendingScan.reset(); });

    if (!holdsDevice(connectedPeripherals_, identifier)) {
        objectWillChange_.fire();
        connectedPeripherals_.push_back(peripheral);
    }
    peripheral->discoverServices({serviceUUID});
    objectWillChange_.fire();
}

void PeripheralManager::didDisconnectPeripheral(Central& central, const PeripheralRef& peripheral,
                                                const std::optional<Error>& /*error*/) {
    const BluetoothUuid identifier = peripheral->identifier();
    // A lost link and a disconnection the user asked for are handled alike. A connection that
    // ended before the device accepted its password failed, whatever the reason (the user's
    // own disconnect has already taken the device off the list).
    if (holdsDevice(connectedPeripherals_, identifier) && !isUnlocked(identifier))
        connectionFailed(peripheral);
    forgetConnection(identifier);
    removeConnected(peripheral);
    if ((isHeldBack(identifier) || isBackingOff(identifier)) &&
        platform_.defaults.stringForKey(passwordKey(*peripheral)))
        listAsDiscovered(peripheral);
    // If the device still advertises, the new scan reports it again and discovery decides
    // where it goes.
    startScan(central);
    objectWillChange_.fire();
}

void PeripheralManager::connect(const PeripheralRef& peripheral) {
    unlistDiscovered(peripheral);
    // No check for an entry already there: the button of a "Connected" row whose link is down
    // adds a second one, and the next disconnection removes both.
    objectWillChange_.fire();
    connectedPeripherals_.push_back(peripheral);
    peripheral->setDelegate(this);
    // The user asked: no pause, a fresh count, and automatic connection again from now on.
    change(peripheral->identifier(), [](DeviceRecord& device) { device.heldBack = false; });
    resetBackoff(peripheral->identifier());
    central_->connect(peripheral);
}

void PeripheralManager::disconnect(const PeripheralRef& peripheral) {
    removeConnected(peripheral);
    forgetConnection(peripheral->identifier());
    withdrawAlert(peripheral->identifier());
    resetBackoff(peripheral->identifier());
    change(peripheral->identifier(), [](DeviceRecord& device) { device.heldBack = false; });
    central_->cancelConnection(peripheral);
    // Forgetting the password ends automatic reconnection; the custom name stays.
    platform_.defaults.removeObjectForKey(passwordKey(*peripheral));
}

void PeripheralManager::removeConnected(const PeripheralRef& peripheral) {
    if (!holdsDevice(connectedPeripherals_, peripheral->identifier()))
        return;
    objectWillChange_.fire();
    std::erase_if(connectedPeripherals_, [&](const PeripheralRef& entry) {
        return entry->identifier() == peripheral->identifier();
    });
}

void PeripheralManager::listAsDiscovered(const PeripheralRef& peripheral) {
    if (!holdsDevice(discoveredPeripherals_, peripheral->identifier()))
        appendDiscovered(peripheral);
    peripheral->setDelegate(this);
    // When the pause is over the device is connected without the user, unless stopped.
    const BluetoothUuid identifier = peripheral->identifier();
    if (isBackingOff(identifier) && !holdsHandle(recordOf(identifier).backoff.waiting, peripheral))
        record(identifier).backoff.waiting.push_back(peripheral);
}

PeripheralManager::DeviceState
PeripheralManager::deviceState(const PeripheralRef& peripheral) const {
    const DeviceRecord::Connection& connection = recordOf(peripheral->identifier()).connection;
    if (connection.unlocked)
        return DeviceState::Unlocked;
    if (peripheral->state() != PeripheralState::Connected)
        return DeviceState::Connecting;
    if (connection.refusedPassword)
        return DeviceState::PasswordRefused;
    return DeviceState::WaitingForPassword;
}

void PeripheralManager::forgetConnection(const BluetoothUuid& identifier) {
    // An alert waiting for the user writes only to a connection that discovered its
    // characteristics after this.
    change(identifier, [](DeviceRecord& device) { device.connection = {}; });
    // "Now sending" speaks of unlocked devices only.
    if (!anyUnlocked())
        lastSentName_.clear();
}

std::string PeripheralManager::displayName(const PeripheralRef& peripheral) const {
    const auto custom = deviceNames_.find(peripheral->identifier());
    if (custom != deviceNames_.end())
        return custom->second;
    const std::string key = passwordKey(*peripheral);
    return boundedName(peripheral->name().value_or("Unknown")) + " \u00B7 " +
           key.substr(key.size() - 4);
}

} // namespace vontal
