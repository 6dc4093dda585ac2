#include "peripheral_manager.h"
#include "utf8.h"

#include <utility>

namespace vontal {

void PeripheralManager::frontmostDidChange(const Notification& notification) {
    if (!notification.userInfo)
        return;
    const auto entry = notification.userInfo->find(kWorkspaceApplicationKey);
    if (entry == notification.userInfo->end())
        return;
    const auto* application = std::get_if<std::shared_ptr<RunningApplication>>(&entry->second);
    if (application && *application && (*application)->localizedName)
        sendAppName(*(*application)->localizedName);
}

void PeripheralManager::sendAppName(const std::string& name) {
    // Names reach us as UTF-8 already; text that is not valid UTF-8 cannot be encoded without
    // loss, so nothing is written.
    if (!isValidUtf8(name))
        return;
    // What the user works on goes only to devices that accepted their password on this
    // connection: anything else answering at a known address must not hear it. A device listed
    // twice hears the name once.
    std::set<BluetoothUuid> told;
    for (const PeripheralRef& peripheral : std::vector(connectedPeripherals_)) {
        if (isUnlocked(peripheral->identifier()) && told.insert(peripheral->identifier()).second)
            writeNameTo(peripheral, name);
    }
}

void PeripheralManager::sendFrontmostName(const PeripheralRef& peripheral) {
    const auto application = platform_.workspace.frontmostApplication();
    if (!application || !application->localizedName || !isValidUtf8(*application->localizedName))
        return;
    writeNameTo(peripheral, *application->localizedName);
}

void PeripheralManager::writeNameTo(const PeripheralRef& peripheral, const std::string& name) {
    // Handing every switch to the stack would queue them without end (bluetoothd refuses past a
    // few hundred pending calls) and the device would show stale names long after a burst. Only
    // the newest name matters, so while the stack still holds a write for this device the name
    // waits, replacing any older one, and goes out when the stack says it took the last one.
    if (!peripheral->canSendWriteWithoutResponse()) {
        record(peripheral->identifier()).connection.waitingName = name;
        return;
    }
    change(peripheral->identifier(),
           [](DeviceRecord& device) { device.connection.waitingName.reset(); });
    sendNameNow(peripheral, name);
}

void PeripheralManager::peripheralIsReadyToSendWriteWithoutResponse(
    const PeripheralRef& peripheral) {
    const std::optional<std::string> name = waitingName(peripheral->identifier());
    // Another write may have gone out between the stack's answer and this callback.
    if (!name || !peripheral->canSendWriteWithoutResponse())
        return;
    change(peripheral->identifier(),
           [](DeviceRecord& device) { device.connection.waitingName.reset(); });
    // The connection that asked may have ended meanwhile; a new one starts without names.
    if (isUnlocked(peripheral->identifier()))
        sendNameNow(peripheral, *name);
}

void PeripheralManager::sendNameNow(const PeripheralRef& peripheral, const std::string& name) {
    const auto limit = peripheral->maximumWriteValueLength(WriteType::WithoutResponse);
    std::string_view sent = name;
    if (limit && name.size() > *limit) {
        // The stack refuses a longer write without response outright; a device is better served
        // by the start of the name than by the previous application's.
        if (!std::exchange(record(peripheral->identifier()).connection.cutAnnounced, true))
            log("Names to " + displayName(peripheral) + " are cut to " + std::to_string(*limit) +
                " bytes (link MTU " + std::to_string(*limit + 3) + ")");
        sent = utf8Prefix(name, *limit);
    }
    if (writeToTargets(peripheral, Bytes(sent.begin(), sent.end())) && sent != lastSentName_) {
        objectWillChange_.fire();
        lastSentName_ = sent;
    }
}

void PeripheralManager::sendKeepAlive() {
    // One zero byte carries nothing of the user's, so it keeps every link alive, unlocked or not.
    // A device whose link carries a write, or has a name waiting for one, is busy anyway: a
    // keep-alive there would only queue, and could delay the name behind it.
    for (const PeripheralRef& peripheral : std::vector(connectedPeripherals_)) {
        if (peripheral->canSendWriteWithoutResponse() && !waitingName(peripheral->identifier()))
            writeToTargets(peripheral, Bytes{0x00});
    }
}

void PeripheralManager::startKeepAlive() {
    std::weak_ptr<PeripheralManager*> weak = alive_;
    // Assigning drops the previous subscription, which stops that timer.
    keepAliveCancellable_ = platform_.timers.repeating(settings_.keepAliveInterval, [weak] {
        if (auto self = weak.lock())
            (*self)->sendKeepAlive();
    });
}

bool PeripheralManager::writeToTargets(const PeripheralRef& peripheral, const Bytes& payload) {
    // Looked up afresh on every write, from the peripheral's own services: the shared
    // dataCharacteristic slot may belong to another device.
    if (peripheral->state() != PeripheralState::Connected)
        return false;
    const auto services = peripheral->services();
    if (!services || services->empty())
        return false;
    bool wrote = false;
    for (const ServiceRef& service : *services) {
        if (service->uuid() != serviceUUID)
            continue;
        const auto characteristics = service->characteristics();
        if (!characteristics || characteristics->empty())
            continue;
        for (const CharacteristicRef& characteristic : *characteristics) {
            if (characteristic->uuid() == characteristicUUID) {
                peripheral->writeValue(payload, characteristic, WriteType::WithoutResponse);
                wrote = true;
                break;
            }
        }
    }
    return wrote;
}

void PeripheralManager::didFailWriteWithoutResponse(const PeripheralRef& peripheral,
                                                    const CharacteristicRef& /*characteristic*/,
                                                    const Error& error) {
    // A device that cannot take names fails every one the same way: one line says it.
    if (record(peripheral->identifier())
            .connection.writeErrorsLogged.insert(error.description)
            .second)
        log("Writing to " + displayName(peripheral) + " failed: " + error.description);
}

} // namespace vontal
