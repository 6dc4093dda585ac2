#include "peripheral_manager.h"

#include <algorithm>
#include <vector>

namespace vontal {

// The user defaults may answer a device's password later than the manager first asks (a keyring
// that is slow to answer at start). A device heard before then was taken for an unknown one, and
// a handshake that found no password waited; both are settled here.
void PeripheralManager::passwordsArrived() {
    const std::vector<PeripheralRef> listed = discoveredPeripherals_;
    for (const PeripheralRef& peripheral : listed)
        // One waiting out its pause is connected when the pause is over.
        if (!isBackingOff(peripheral->identifier()))
            connectWaiting(peripheral);

    std::vector<BluetoothUuid> awaiting;
    for (const auto& [identifier, device] : devices_)
        if (device.connection.awaitingPassword)
            awaiting.push_back(identifier);
    for (const BluetoothUuid& identifier : awaiting) {
        // The handle of the connection that waits: listed as connected, its link up.
        const auto connected = std::find_if(connectedPeripherals_.begin(),
                                            connectedPeripherals_.end(), [&](const auto& entry) {
                                                return entry->identifier() == identifier &&
                                                       entry->state() == PeripheralState::Connected;
                                            });
        const PeripheralRef peripheral =
            connected == connectedPeripherals_.end() ? nullptr : *connected;
        if (peripheral && platform_.defaults.mayStillArrive(passwordKey(*peripheral)))
            continue;
        CharacteristicRef characteristic;
        change(identifier, [&](DeviceRecord& device) {
            device.connection.awaitingPassword = false;
            characteristic = device.connection.passwordCharacteristic;
        });
        if (!peripheral || !characteristic)
            continue;
        if (const auto stored = platform_.defaults.stringForKey(passwordKey(*peripheral)))
            writePassword(peripheral, characteristic, *stored);
        else
            queuePasswordAlert(peripheral, AlertKind::EnterPassword);
    }
}

} // namespace vontal
