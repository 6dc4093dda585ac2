#include "peripheral_manager.h"
#include "utf8.h"

namespace vontal {
namespace {

std::string formatBytes(const Bytes& bytes) {
    std::string text = "[";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += std::to_string(bytes[i]);
    }
    return text + "]";
}

} // namespace

void PeripheralManager::didDiscoverServices(const PeripheralRef& peripheral,
                                            const std::optional<Error>& /*error*/) {
    // Errors are not examined: whatever services the peripheral holds are used as they are.
    const auto services = peripheral->services();
    if (!services)
        return;
    for (const ServiceRef& service : *services) {
        if (service->uuid() == serviceUUID) {
            peripheral->discoverCharacteristics(
                {passwordCharUUID, characteristicUUID, deviceNameUUID}, service);
            return;
        }
    }
}

void PeripheralManager::didDiscoverCharacteristics(const PeripheralRef& peripheral,
                                                   const ServiceRef& service,
                                                   const std::optional<Error>& /*error*/) {
    const BluetoothUuid identifier = peripheral->identifier();
    const auto characteristics = service->characteristics();
    if (!characteristics || characteristics->empty())
        return;
    for (const CharacteristicRef& characteristic : *characteristics) {
        const BluetoothUuid uuid = characteristic->uuid();
        if (uuid == passwordCharUUID) {
            passwordCharacteristic_ = characteristic;
            record(identifier).connection.passwordCharacteristic = characteristic;
            // While the user is being asked for this device's password, the answer, not the
            // password stored (refused, perhaps), goes to this connection.
            if (hasPasswordAlert(identifier))
                continue;
            if (const auto stored = platform_.defaults.stringForKey(passwordKey(*peripheral)))
                writePassword(peripheral, characteristic, *stored);
            else if (platform_.defaults.mayStillArrive(passwordKey(*peripheral)))
                // Asking now could ask for a password the keyring is about to hand over.
                record(identifier).connection.awaitingPassword = true;
            else
                queuePasswordAlert(peripheral, AlertKind::EnterPassword);
        } else if (uuid == characteristicUUID) {
            dataCharacteristic_ = characteristic;
            record(identifier).connection.dataCharacteristic = characteristic;
        } else if (uuid == deviceNameUUID) {
            peripheral->readValue(characteristic);
            peripheral->setNotifyValue(true, characteristic);
        }
    }
}

void PeripheralManager::didWriteValue(const PeripheralRef& peripheral,
                                      const CharacteristicRef& characteristic,
                                      const std::optional<Error>& error) {
    const BluetoothUuid uuid = characteristic->uuid();
    if (uuid == passwordCharUUID) {
        if (error) {
            // Any error counts as a wrong password; the device hears no names until it accepts one.
            record(peripheral->identifier()).connection.unlocked = false;
            objectWillChange_.fire();
            record(peripheral->identifier()).connection.refusedPassword = true;
            log("Password write failed: " + error->description);
            queuePasswordAlert(peripheral, AlertKind::IncorrectPassword);
            return;
        }
        // An alert still asking for this device's password would now only undo the unlock.
        withdrawAlert(peripheral->identifier());
        log("Password accepted \u2013 proceeding with data characteristic");
        objectWillChange_.fire();
        DeviceRecord::Connection& connection = record(peripheral->identifier()).connection;
        connection.unlocked = true;
        connection.refusedPassword = false;
        resetBackoff(peripheral->identifier());
        runPairingStep(peripheral);
        // A device that comes into range shows what the user works on now, not after the next
        // switch.
        sendFrontmostName(peripheral);
    } else if (uuid == characteristicUUID) {
        if (error)
            log("Error writing for pairing: " + error->description);
        else
            log("Write for pairing succeeded (pairing prompt should appear)");
    }
}

void PeripheralManager::runPairingStep(const PeripheralRef& peripheral) {
    // The shared dataCharacteristic slot holds whichever device was discovered last; with two
    // handshakes interleaving that is another device's characteristic. Pair on this one's own.
    const CharacteristicRef characteristic =
        recordOf(peripheral->identifier()).connection.dataCharacteristic;
    if (!characteristic)
        return;
    peripheral->readValue(characteristic);
    peripheral->writeValue(Bytes{0x00}, characteristic, WriteType::WithResponse);
    peripheral->setNotifyValue(true, characteristic);
}

void PeripheralManager::didUpdateValue(const PeripheralRef& peripheral,
                                       const CharacteristicRef& characteristic,
                                       const std::optional<Error>& error) {
    const BluetoothUuid uuid = characteristic->uuid();
    if (uuid == deviceNameUUID) {
        const auto value = characteristic->value();
        const std::string whole = value ? std::string(value->begin(), value->end()) : std::string();
        const std::string text = boundedName(whole);
        if (value && isValidUtf8(whole)) {
            setDeviceName(peripheral->identifier(), text);
            objectWillChange_.fire();
            // A device may notify its name over and over; a line says what changed.
            auto& announced = record(peripheral->identifier()).connection.announcedName;
            if (announced != text) {
                announced = text;
                log("Custom device name from peripheral: " + text);
            }
        } else if (error) {
            log("Error reading DeviceName: " + error->description);
        }
    } else if (uuid == characteristicUUID) {
        if (const auto value = characteristic->value())
            log("Bonding read response bytes: " + formatBytes(*value));
        else if (error)
            log("Error reading characteristic for pairing: " + error->description);
    }
}

void PeripheralManager::didUpdateNotificationState(const PeripheralRef& /*peripheral*/,
                                                   const CharacteristicRef& characteristic,
                                                   const std::optional<Error>& error) {
    if (characteristic->uuid() != characteristicUUID)
        return;
    if (error)
        log("Error updating notification state: " + error->description);
    else
        log(std::string("Notification state updated; isNotifying: ") +
            (characteristic->isNotifying() ? "true" : "false"));
}

} // namespace vontal
