#include "peripheral_manager.h"

#include <algorithm>

namespace vontal {

PeripheralManager::PeripheralManager(const Platform& platform, Settings settings)
    : platform_(platform), settings_(settings), alive_(std::make_shared<PeripheralManager*>(this)) {
    // Nothing is scanned or connected here: the central's first state report drives the rest.
    central_ = platform_.bluetooth.makeCentral(*this);

    std::weak_ptr<PeripheralManager*> weak = alive_;
    activationObserver_ = platform_.workspace.observeActivations([weak](const Notification& n) {
        if (auto self = weak.lock())
            (*self)->frontmostDidChange(n);
    });
    passwordArrivals_ = platform_.defaults.observeArrivals([weak] {
        if (auto self = weak.lock())
            (*self)->passwordsArrived();
    });

    loadDeviceNames();
}

PeripheralManager::~PeripheralManager() {
    // Queued prompts and late ticks check this before touching the manager.
    alive_.reset();
    activationObserver_.cancel();
    if (keepAliveCancellable_)
        keepAliveCancellable_->cancel();
    devices_.clear();
    // Names learned in the last moments are not lost at quit.
    if (pendingNamesSave_) {
        pendingNamesSave_->cancel();
        saveDeviceNames();
    }
}

std::string PeripheralManager::passwordKey(const Peripheral& peripheral) {
    return peripheral.identifier().toString();
}

const DeviceRecord& PeripheralManager::recordOf(const BluetoothUuid& identifier) const {
    static const DeviceRecord none;
    const auto device = devices_.find(identifier);
    return device == devices_.end() ? none : device->second;
}

bool PeripheralManager::anyUnlocked() const {
    return std::any_of(devices_.begin(), devices_.end(),
                       [](const auto& device) { return device.second.connection.unlocked; });
}

void PeripheralManager::log(const std::string& line) const {
    platform_.diagnostics.line(line);
}

} // namespace vontal
