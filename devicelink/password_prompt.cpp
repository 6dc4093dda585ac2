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
    runPasswordAlert(peripheral, characteristic, "Enter password for ", "OK",
                     [&passwordKey] { return passwordKey; });
}

void PeripheralManager::showIncorrectPasswordPrompt(const PeripheralRef& peripheral,
                                                    const CharacteristicRef& characteristic) {
    // The key is formed anew when the user answers.
    runPasswordAlert(peripheral, characteristic, "Incorrect password for ", "Retry",
                     [&peripheral] { return PeripheralManager::passwordKey(*peripheral); });
}

void PeripheralManager::runPasswordAlert(const PeripheralRef& peripheral,
                                         const CharacteristicRef& characteristic,
                                         const std::string& message,
                                         const std::string& acceptButton,
                                         const std::function<std::string()>& keyToStoreUnder) {
    const std::weak_ptr<PeripheralManager*> alive = alive_;
    const AlertResponse response = platform_.alerts.runModal(
        {message + nameForPrompt(*peripheral), {acceptButton, "Cancel"}, 200, 24});
    // The dialog runs a nested loop; the application may have torn the manager down meanwhile.
    if (alive.expired())
        return;
    if (response.button == kAlertFirstButtonReturn) {
        // Stored before it is written: the device's verdict never decides whether it stays.
        platform_.defaults.setObject(response.text, keyToStoreUnder());
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
