#include "qt_gatt_handles.h"

#include "identifiers.h"

namespace vontal {

QtCharacteristic::QtCharacteristic(const QLowEnergyCharacteristic& characteristic)
    : characteristic_(characteristic), uuid_(fromQtUuid(characteristic.uuid())) {}

QtService::QtService(const QBluetoothUuid& uuid, unsigned connection)
    : qtUuid_(uuid), uuid_(fromQtUuid(uuid)), connection_(connection) {}

std::shared_ptr<QtCharacteristic>
QtService::find(const QLowEnergyCharacteristic& characteristic) const {
    for (const auto& candidate : known)
        if (candidate->qt() == characteristic)
            return candidate;
    return nullptr;
}

} // namespace vontal
