#include "peripheral_manager.h"
#include "utf8.h"

namespace vontal {

void PeripheralManager::loadDeviceNames() {
    const auto stored = platform_.defaults.dictionaryForKey(deviceNamesDefaultsKey);
    if (!stored)
        return;
    // Taken whole or not at all: one value that is not text leaves the names empty and the
    // store untouched.
    std::map<BluetoothUuid, std::string> names;
    for (const auto& [key, value] : *stored) {
        const auto* name = std::get_if<std::string>(&value);
        if (!name)
            return;
        if (const auto identifier = BluetoothUuid::parseFull(key))
            names[*identifier] = boundedName(*name);
    }
    // Saving right away rewrites the store in canonical form and drops unreadable keys.
    setDeviceNames(std::move(names));
}

void PeripheralManager::saveDeviceNames() {
    StringDictionary dictionary;
    for (const auto& [identifier, name] : deviceNames_)
        dictionary[identifier.toString()] = name;
    platform_.defaults.setDictionary(dictionary, deviceNamesDefaultsKey);
}

void PeripheralManager::setDeviceNames(std::map<BluetoothUuid, std::string> names) {
    objectWillChange_.fire();
    deviceNames_ = std::move(names);
    saveDeviceNames();
}

void PeripheralManager::setDeviceName(const BluetoothUuid& identifier, const std::string& name) {
    const auto known = deviceNames_.find(identifier);
    if (known != deviceNames_.end() && known->second == name)
        return;
    objectWillChange_.fire();
    deviceNames_[identifier] = name;
    scheduleDeviceNamesSave();
}

void PeripheralManager::scheduleDeviceNamesSave() {
    // A device may send its name many times a second; the store is rewritten whole each time,
    // so changes that come close together are saved once. The destructor saves what is left.
    if (pendingNamesSave_)
        return;
    std::weak_ptr<PeripheralManager*> weak = alive_;
    pendingNamesSave_ = platform_.timers.singleShot(settings_.deviceNameSaveDelay, [weak] {
        if (auto self = weak.lock()) {
            (*self)->pendingNamesSave_.reset();
            (*self)->saveDeviceNames();
        }
    });
}

} // namespace vontal
