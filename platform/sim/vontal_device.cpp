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
    SimDeviceSpec deviceSpec;
    deviceSpec.identifier = identifier;
    deviceSpec.name = std::move(name);
    deviceSpec.advertisedServices = {PeripheralManager::serviceUUID};
    const std::string deviceName = customName.value_or(deviceSpec.name.value_or(""));
    deviceSpec.services = {
        {PeripheralManager::serviceUUID,
         {{PeripheralManager::passwordCharUUID, {}},
          {PeripheralManager::characteristicUUID, {}},
          {PeripheralManager::deviceNameUUID, Bytes(deviceName.begin(), deviceName.end())}}}};
    deviceSpec.passwordCharacteristic = PeripheralManager::passwordCharUUID;
    deviceSpec.password = std::move(password);
    return deviceSpec;
}

} // namespace vontal
