#include "peripheral_manager.h"
#include "utf8.h"

#include <algorithm>

namespace vontal {
namespace {

bool containsHandle(const std::vector<PeripheralRef>& list, const PeripheralRef& peripheral) {
    return std::find(list.begin(), list.end(), peripheral) != list.end();
}

bool sameIdentifier(const PeripheralRef& a, const PeripheralRef& b) {
    return a->identifier() == b->identifier();
}

} // namespace

void PeripheralManager::didDiscoverPeripheral(Central& central, const PeripheralRef& peripheral,
                                              const AdvertisementData& /*advertisementData*/,
                                              int /*rssi*/) {
    if (ignoreAutoReconnect_.contains(peripheral->identifier()))
        return;
    if (containsHandle(connectedPeripherals_, peripheral))
        return;
    if (containsHandle(discoveredPeripherals_, peripheral)) {
        stampHeard(peripheral);
        return;
    }

    if (platform_.defaults.stringForKey(passwordKey(*peripheral))) {
        // A known device the user stopped, or one waiting out its pause, is listed so that its
        // "Connect" is at hand rather than being in neither list.
        if (heldBack_.contains(peripheral->identifier()) ||
            isBackingOff(peripheral->identifier())) {
            listAsDiscovered(peripheral);
            return;
        }
        // A known device: connect it without the user. It shows under "Connected" once its
        // link is up.
        // The same scan hearing it again while its connection is under way asks nothing new:
        // the request stands, and the pending list would grow with every advertisement.
        if (repeatsPendingReport(peripheral))
            return;
        pendingPeripherals_.push_back(peripheral);
        pendingScan_[peripheral->identifier()] = scanGeneration_;
        peripheral->setDelegate(this);
        central.connect(peripheral);
        return;
    }
    appendDiscovered(peripheral);
}

void PeripheralManager::didConnectPeripheral(Central& /*central*/,
                                             const PeripheralRef& peripheral) {
    // A connection asked for before the user stopped the device: the device would only refuse
    // its stored password again.
    if (heldBack_.contains(peripheral->identifier())) {
        std::erase_if(pendingPeripherals_, [&](const PeripheralRef& entry) {
            return sameIdentifier(entry, peripheral);
        });
        pendingScan_.erase(peripheral->identifier());
        central_->cancelConnection(peripheral);
        return;
    }
    // A new connection: nothing it has not done itself yet counts.
    forgetConnection(peripheral->identifier());
    const auto pending =
        std::find_if(pendingPeripherals_.begin(), pendingPeripherals_.end(),
                     [&](const PeripheralRef& entry) { return sameIdentifier(entry, peripheral); });
    if (pending != pendingPeripherals_.end())
        pendingPeripherals_.erase(pending);
    if (std::none_of(pendingPeripherals_.begin(), pendingPeripherals_.end(),
                     [&](const PeripheralRef& entry) { return sameIdentifier(entry, peripheral); }))
        pendingScan_.erase(peripheral->identifier());

    const bool listed =
        std::any_of(connectedPeripherals_.begin(), connectedPeripherals_.end(),
                    [&](const PeripheralRef& entry) { return sameIdentifier(entry, peripheral); });
    if (!listed) {
        objectWillChange_.fire();
        connectedPeripherals_.push_back(peripheral);
    }
    peripheral->discoverServices({serviceUUID});
    objectWillChange_.fire();
}

void PeripheralManager::didDisconnectPeripheral(Central& central, const PeripheralRef& peripheral,
                                                const std::optional<Error>& /*error*/) {
    // A lost link and a disconnection the user asked for are handled alike. A connection that
    // ended before the device accepted its password failed, whatever the reason (the user's
    // own disconnect has already taken the device off the list).
    const bool listed =
        std::any_of(connectedPeripherals_.begin(), connectedPeripherals_.end(),
                    [&](const PeripheralRef& entry) { return sameIdentifier(entry, peripheral); });
    if (listed && !unlocked_.contains(peripheral->identifier()))
        connectionFailed(peripheral);
    forgetConnection(peripheral->identifier());
    removeConnected(peripheral);
    if ((heldBack_.contains(peripheral->identifier()) || isBackingOff(peripheral->identifier())) &&
        platform_.defaults.stringForKey(passwordKey(*peripheral)))
        listAsDiscovered(peripheral);
    // If the device still advertises, the new scan reports it again and discovery decides
    // where it goes.
    startScan(central);
    objectWillChange_.fire();
}

void PeripheralManager::connect(const PeripheralRef& peripheral) {
    const auto entry =
        std::find(discoveredPeripherals_.begin(), discoveredPeripherals_.end(), peripheral);
    if (entry != discoveredPeripherals_.end()) {
        objectWillChange_.fire();
        discoveredPeripherals_.erase(entry);
    }
    // No check for an entry already there: the button of a "Connected" row whose link is down
    // adds a second one, and the next disconnection removes both.
    objectWillChange_.fire();
    connectedPeripherals_.push_back(peripheral);
    peripheral->setDelegate(this);
    // The user asked: no pause, a fresh count, and automatic connection again from now on.
    heldBack_.erase(peripheral->identifier());
    resetBackoff(peripheral->identifier());
    central_->connect(peripheral);
}

void PeripheralManager::disconnect(const PeripheralRef& peripheral) {
    removeConnected(peripheral);
    forgetConnection(peripheral->identifier());
    withdrawAlert(peripheral->identifier());
    resetBackoff(peripheral->identifier());
    heldBack_.erase(peripheral->identifier());
    central_->cancelConnection(peripheral);
    // Forgetting the password ends automatic reconnection; the custom name stays.
    platform_.defaults.removeObjectForKey(passwordKey(*peripheral));
}

void PeripheralManager::removeConnected(const PeripheralRef& peripheral) {
    const auto matches = [&](const PeripheralRef& entry) {
        return sameIdentifier(entry, peripheral);
    };
    if (std::none_of(connectedPeripherals_.begin(), connectedPeripherals_.end(), matches))
        return;
    objectWillChange_.fire();
    std::erase_if(connectedPeripherals_, matches);
}

void PeripheralManager::listAsDiscovered(const PeripheralRef& peripheral) {
    const bool listed =
        std::any_of(discoveredPeripherals_.begin(), discoveredPeripherals_.end(),
                    [&](const PeripheralRef& entry) { return sameIdentifier(entry, peripheral); });
    if (!listed)
        appendDiscovered(peripheral);
    peripheral->setDelegate(this);
    // When the pause is over the device is connected without the user, unless stopped.
    const auto backoff = backoff_.find(peripheral->identifier());
    if (backoff != backoff_.end() && backoff->second.pause &&
        !containsHandle(backoff->second.waiting, peripheral))
        backoff->second.waiting.push_back(peripheral);
}

PeripheralManager::DeviceState
PeripheralManager::deviceState(const PeripheralRef& peripheral) const {
    const BluetoothUuid& identifier = peripheral->identifier();
    if (unlocked_.contains(identifier))
        return DeviceState::Unlocked;
    if (peripheral->state() != PeripheralState::Connected)
        return DeviceState::Connecting;
    if (refused_.contains(identifier))
        return DeviceState::PasswordRefused;
    return DeviceState::WaitingForPassword;
}

void PeripheralManager::forgetConnection(const BluetoothUuid& identifier) {
    // An alert waiting for the user writes only to a connection that discovered its
    // characteristics after this.
    if (PasswordAlert* alert = alertFor(identifier))
        alert->characteristic = nullptr;
    unlocked_.erase(identifier);
    refused_.erase(identifier);
    awaitingPassword_.erase(identifier);
    // "Now sending" speaks of unlocked devices only.
    if (unlocked_.empty())
        lastSentName_.clear();
    cutAnnounced_.erase(identifier);
    waitingNames_.erase(identifier);
    announcedNames_.erase(identifier);
    std::erase_if(writeErrorsLogged_,
                  [&](const auto& logged) { return logged.first == identifier; });
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
