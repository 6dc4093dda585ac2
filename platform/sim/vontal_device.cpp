#include "vontal_device.h"

#include "devicelink/peripheral_manager.h"

namespace vontal {

BluetoothUuid identifierForAddress(std::uint64_t address) {
    BluetoothUuid::Bytes bytes{};
    for (int i = 0; i < 6; ++i)
        bytes[15 - i] = static_cast<std::uint8_t>(address >> (8 * i));
    return BluetoothUuid(bytes);
}

SimDeviceSpec vontalDevice(BluetoothUuid identifier, std::optional<std::string> name,
                           std::optional<std::string> password,
                           std::optional<std::string> customName) {
    SimDeviceSpec spec;
    spec.identifier = identifier;
    spec.name = std::move(name);
    spec.advertisedServices = {PeripheralManager::serviceUUID};
    const std::string deviceName = customName.value_or(spec.name.value_or(""));
    spec.services = {
        {PeripheralManager::serviceUUID,
         {{PeripheralManager::passwordCharUUID, {}},
          {PeripheralManager::characteristicUUID, {}},
          {PeripheralManager::deviceNameUUID, Bytes(deviceName.begin(), deviceName.end())}}}};
    spec.passwordCharacteristic = PeripheralManager::passwordCharUUID;
    spec.password = std::move(password);
    return spec;
}

} // namespace vontal
