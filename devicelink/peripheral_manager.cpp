#include "peripheral_manager.h"

namespace vontal {

const BluetoothUuid PeripheralManager::serviceUUID =
    BluetoothUuid::fromString("837084C2-C091-41FF-A39F-4C43873CE2D5");
const BluetoothUuid PeripheralManager::characteristicUUID =
    BluetoothUuid::fromString("86EA8D4D-D290-41CB-83EF-172B10165725");
const BluetoothUuid PeripheralManager::deviceNameUUID =
    BluetoothUuid::fromString("5E3C0A0C-9F7B-4BDE-8F62-6E8E0C6E3A01");
const BluetoothUuid PeripheralManager::passwordCharUUID =
    BluetoothUuid::fromString("B549B710-BFDE-44AB-A496-B8DFA77D606A");

PeripheralManager::PeripheralManager(const Platform& platform, Settings settings)
    : platform_(platform), settings_(settings), alive_(std::make_shared<PeripheralManager*>(this)) {
    // Nothing is scanned or connected here: the central's first state report drives the rest.
    central_ = platform_.bluetooth.makeCentral(*this);

    std::weak_ptr<PeripheralManager*> weak = alive_;
    activationObserver_ = platform_.workspace.observeActivations([weak](const Notification& n) {
        if (auto self = weak.lock())
            (*self)->frontmostDidChange(n);
    });

    loadDeviceNames();
}

PeripheralManager::~PeripheralManager() {
    // Queued prompts and late ticks check this before touching the manager.
    alive_.reset();
    activationObserver_.cancel();
    if (keepAliveCancellable_)
        keepAliveCancellable_->cancel();
}

std::string PeripheralManager::passwordKey(const Peripheral& peripheral) {
    return peripheral.identifier().toString();
}

void PeripheralManager::log(const std::string& line) const {
    platform_.diagnostics.line(line);
}

void PeripheralManager::setConnectedPeripherals(std::vector<PeripheralRef> peripherals) {
    objectWillChange_.fire();
    connectedPeripherals_ = std::move(peripherals);
}

void PeripheralManager::setDiscoveredPeripherals(std::vector<PeripheralRef> peripherals) {
    objectWillChange_.fire();
    discoveredPeripherals_ = std::move(peripherals);
}

} // namespace vontal
