#include "peripheral_manager.h"

namespace vontal {

bool PeripheralManager::hasPasswordAlert(const BluetoothUuid& identifier) const {
    return alertFor(identifier) != nullptr;
}

const PeripheralManager::PasswordAlert*
PeripheralManager::alertFor(const BluetoothUuid& identifier) const {
    if (openAlert_ && openAlert_->peripheral->identifier() == identifier)
        return &*openAlert_;
    for (const PasswordAlert& alert : queuedAlerts_)
        if (alert.peripheral->identifier() == identifier)
            return &alert;
    return nullptr;
}

PeripheralManager::PasswordAlert* PeripheralManager::alertFor(const BluetoothUuid& identifier) {
    return const_cast<PasswordAlert*>(std::as_const(*this).alertFor(identifier));
}

void PeripheralManager::queuePasswordAlert(const PeripheralRef& peripheral,
                                           const CharacteristicRef& characteristic,
                                           AlertKind kind) {
    if (PasswordAlert* waiting = alertFor(peripheral->identifier())) {
        // The device came back while the user is being asked: the answer goes to this link.
        waiting->characteristic = characteristic;
        return;
    }
    queuedAlerts_.push_back({peripheral, characteristic, kind, passwordKey(*peripheral), 0});
    scheduleNextAlert();
}

void PeripheralManager::scheduleNextAlert() {
    if (alertTaskPosted_ || alertsOnScreen_ > 0 || queuedAlerts_.empty())
        return;
    alertTaskPosted_ = true;
    // Never from inside a Bluetooth callback: the alert runs a nested loop.
    const std::weak_ptr<PeripheralManager*> weak = alive_;
    platform_.mainQueue.async([weak] {
        // The lock is not held while the alert runs: the manager may be destroyed in its nested
        // loop, and the alert must be able to tell.
        PeripheralManager* self = nullptr;
        if (const auto alive = weak.lock())
            self = *alive;
        if (self)
            self->showNextAlert();
    });
}

void PeripheralManager::showNextAlert() {
    alertTaskPosted_ = false;
    if (alertsOnScreen_ > 0 || queuedAlerts_.empty())
        return;
    const PasswordAlert next = queuedAlerts_.front();
    queuedAlerts_.pop_front();
    const std::weak_ptr<PeripheralManager*> alive = alive_;
    if (next.kind == AlertKind::EnterPassword)
        showPasswordPrompt(next.peripheral, next.passwordKey, next.characteristic);
    else
        showIncorrectPasswordPrompt(next.peripheral, next.characteristic);
    if (!alive.expired())
        scheduleNextAlert();
}

void PeripheralManager::withdrawAlert(const BluetoothUuid& identifier) {
    std::erase_if(queuedAlerts_, [&](const PasswordAlert& alert) {
        return alert.peripheral->identifier() == identifier;
    });
    if (openAlert_ && openAlert_->peripheral->identifier() == identifier) {
        openAlert_.reset();
        platform_.alerts.dismiss();
    }
}

} // namespace vontal
