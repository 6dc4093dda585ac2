#include "peripheral_manager.h"
#include "utf8.h"

namespace vontal {

void PeripheralManager::frontmostDidChange(const Notification& notification) {
    if (!notification.userInfo)
        return;
    const auto entry = notification.userInfo->find(kWorkspaceApplicationKey);
    if (entry == notification.userInfo->end())
        return;
    const auto* application = std::get_if<std::shared_ptr<RunningApplication>>(&entry->second);
    if (!application || !*application)
        return;
    if (!(*application)->localizedName)
        return;
    sendAppName(*(*application)->localizedName);
}

void PeripheralManager::sendAppName(const std::string& name) {
    // Names reach us as UTF-8 already; text that is not valid UTF-8 cannot be encoded without
    // loss, so nothing is written.
    if (!isValidUtf8(name))
        return;
    writeToAllTargets(Bytes(name.begin(), name.end()));
}

void PeripheralManager::sendKeepAlive() {
    writeToAllTargets(Bytes{0x00});
}

void PeripheralManager::startKeepAlive() {
    std::weak_ptr<PeripheralManager*> weak = alive_;
    // Assigning drops the previous subscription, which stops that timer.
    keepAliveCancellable_ = platform_.timers.repeating(settings_.keepAliveInterval, [weak] {
        if (auto self = weak.lock())
            (*self)->sendKeepAlive();
    });
}

void PeripheralManager::writeToAllTargets(const Bytes& payload) {
    // Looked up afresh on every write, from each peripheral's own services: the shared
    // dataCharacteristic slot may belong to another device.
    for (const PeripheralRef& peripheral : std::vector(connectedPeripherals_)) {
        if (peripheral->state() != PeripheralState::Connected)
            continue;
        const auto services = peripheral->services();
        if (!services || services->empty())
            continue;
        for (const ServiceRef& service : *services) {
            if (service->uuid() != serviceUUID)
                continue;
            const auto characteristics = service->characteristics();
            if (!characteristics || characteristics->empty())
                continue;
            for (const CharacteristicRef& characteristic : *characteristics) {
                if (characteristic->uuid() == characteristicUUID) {
                    peripheral->writeValue(payload, characteristic, WriteType::WithoutResponse);
                    break;
                }
            }
        }
    }
}

} // namespace vontal
