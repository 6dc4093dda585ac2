#include "peripheral_manager.h"

namespace vontal {
namespace {

std::string nameForPrompt(const Peripheral& peripheral) {
    // The platform's name, not the custom one: it is what the user sees in the system's
    // Bluetooth settings for the same device.
    return peripheral.name().value_or("device");
}

} // namespace

void PeripheralManager::showPasswordPrompt(const PeripheralRef& peripheral,
                                           const std::string& passwordKey,
                                           const CharacteristicRef& characteristic) {
    const std::weak_ptr<PeripheralManager*> alive = alive_;
    const AlertResponse response = platform_.alerts.runModal(
        {"Enter password for " + nameForPrompt(*peripheral), {"OK", "Cancel"}, 200, 24});
    // The dialog runs a nested loop; the application may have torn the manager down meanwhile.
    if (alive.expired())
        return;
    if (response.button == kAlertFirstButtonReturn) {
        // Stored before it is written: the device's verdict never decides whether it stays.
        platform_.defaults.setObject(response.text, passwordKey);
        writePassword(peripheral, characteristic, response.text);
    } else {
        central_->cancelConnection(peripheral);
    }
}

void PeripheralManager::showIncorrectPasswordPrompt(const PeripheralRef& peripheral,
                                                    const CharacteristicRef& characteristic) {
    const std::weak_ptr<PeripheralManager*> alive = alive_;
    const AlertResponse response = platform_.alerts.runModal(
        {"Incorrect password for " + nameForPrompt(*peripheral), {"Retry", "Cancel"}, 200, 24});
    if (alive.expired())
        return;
    if (response.button == kAlertFirstButtonReturn) {
        platform_.defaults.setObject(response.text, PeripheralManager::passwordKey(*peripheral));
        writePassword(peripheral, characteristic, response.text);
    } else {
        central_->cancelConnection(peripheral);
    }
}

void PeripheralManager::writePassword(const PeripheralRef& peripheral,
                                      const CharacteristicRef& characteristic,
                                      const std::string& password) {
    peripheral->writeValue(Bytes(password.begin(), password.end()), characteristic,
                           WriteType::WithResponse);
}

} // namespace vontal
