#include "peripheral_manager.h"

namespace vontal {

void PeripheralManager::queuePasswordAlert(const PeripheralRef& peripheral, AlertKind kind) {
    // A device asked already keeps its alert: the answer goes to the connection there is when
    // the user gives it.
    DeviceRecord& device = record(peripheral->identifier());
    if (device.alert)
        return;
    device.alert = PasswordAlert{peripheral, kind};
    alertOrder_.push_back(peripheral->identifier());
    scheduleNextAlert();
}

void PeripheralManager::scheduleNextAlert() {
    if (alertTaskPosted_ || alertOnScreen_ || alertOrder_.empty())
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
    if (alertOnScreen_ || alertOrder_.empty())
        return;
    const BluetoothUuid identifier = alertOrder_.front();
    alertOrder_.pop_front();
    // A withdrawn alert leaves the order too, so the device's record holds this one.
    PasswordAlert& queued = *record(identifier).alert;
    queued.ticket = ++alertTickets_;
    const std::weak_ptr<PeripheralManager*> alive = alive_;
    runPasswordAlert(PasswordAlert(queued));
    if (!alive.expired())
        scheduleNextAlert();
}

void PeripheralManager::withdrawAlert(const BluetoothUuid& identifier) {
    const std::optional<PasswordAlert> alert = recordOf(identifier).alert;
    change(identifier, [](DeviceRecord& device) { device.alert.reset(); });
    std::erase(alertOrder_, identifier);
    if (alert && alert->ticket != 0)
        platform_.alerts.dismiss();
}

} // namespace vontal
