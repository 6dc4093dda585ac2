#include "peripheral_lists.h"
#include "peripheral_manager.h"
#include "utf8.h"

namespace vontal {
namespace {

std::string nameForPrompt(const Peripheral& peripheral) {
    // The platform's name, not the custom one: it is what the user sees in the system's
    // Bluetooth settings for the same device.
    return boundedName(peripheral.name().value_or("device"));
}

} // namespace

void PeripheralManager::holdBack(const PeripheralRef& peripheral) {
    // The stored password stays; connecting the device again without the user would only bring
    // this alert back. The user's "Connect" lifts this.
    DeviceRecord& device = record(peripheral->identifier());
    device.heldBack = true;
    device.pendingScan.reset();
    std::erase_if(pendingPeripherals_, [&](const PeripheralRef& entry) {
        return entry->identifier() == peripheral->identifier();
    });
    // A link already gone sends no disconnected report that would list the device.
    if (!holdsDevice(connectedPeripherals_, peripheral->identifier()) &&
        peripheral->state() != PeripheralState::Connected)
        listAsDiscovered(peripheral);
}

void PeripheralManager::runPasswordAlert(const PasswordAlert& alert) {
    const PeripheralRef& peripheral = alert.peripheral;
    const bool first = alert.kind == AlertKind::EnterPassword;
    const std::string message = first ? "Enter password for " : "Incorrect password for ";
    const std::weak_ptr<PeripheralManager*> alive = alive_;
    const std::string name = nameForPrompt(*peripheral);
    AlertRequest request{
        message + name, {first ? "OK" : "Retry", "Cancel"}, 200, 24, message + "%1", name};
    // Two devices may share a platform name; the row label tells which one is asking.
    if (const std::string label = displayName(peripheral); label != name) {
        request.detailFormat = "Shown in vontal as %1";
        request.detailSubject = label;
    }

    alertOnScreen_ = true;
    const AlertResponse response = platform_.alerts.runModal(request);
    // The dialog runs a nested loop; the application may have torn the manager down meanwhile.
    if (alive.expired())
        return;
    alertOnScreen_ = false;
    // A withdrawn alert's answer changes nothing: the device no longer needs it.
    const DeviceRecord& device = recordOf(peripheral->identifier());
    if (!device.alert || device.alert->ticket != alert.ticket)
        return;
    // The link may have dropped and come back while the user typed: the answer goes to the
    // connection there is now.
    const CharacteristicRef target = device.connection.passwordCharacteristic;
    change(peripheral->identifier(), [](DeviceRecord& record) { record.alert.reset(); });

    // An empty field is no answer: Enter pressed by mistake must not replace a password.
    if (response.button == kAlertFirstButtonReturn && !response.text.empty()) {
        // Stored before it is written: the device's verdict never decides whether it stays.
        platform_.defaults.setObject(response.text, passwordKey(*peripheral));
        if (target && peripheral->state() == PeripheralState::Connected)
            writePassword(peripheral, target, response.text);
        else
            reconnectWithStoredPassword(peripheral);
        return;
    }
    central_->cancelConnection(peripheral);
    if (alert.kind == AlertKind::IncorrectPassword)
        holdBack(peripheral);
}

void PeripheralManager::reconnectWithStoredPassword(const PeripheralRef& peripheral) {
    // The link dropped while the user typed. The device is known now; connect it as such, and
    // its handshake verifies the password like any stored one. Where it is listed or being
    // connected already, that connection's handshake does.
    if (holdsDevice(connectedPeripherals_, peripheral->identifier()) ||
        holdsDevice(pendingPeripherals_, peripheral->identifier()))
        return;
    unlistDiscovered(peripheral);
    resetBackoff(peripheral->identifier());
    connectKnown(*central_, peripheral);
}

void PeripheralManager::writePassword(const PeripheralRef& peripheral,
                                      const CharacteristicRef& characteristic,
                                      const std::string& password) {
    peripheral->writeValue(Bytes(password.begin(), password.end()), characteristic,
                           WriteType::WithResponse);
}

} // namespace vontal
