#include "identifiers.h"

#include <QByteArray>
#include <array>
#include <cstdint>

namespace vontal {

BluetoothUuid fromQtUuid(const QBluetoothUuid& uuid) {
    const QByteArray raw = uuid.toRfc4122();
    BluetoothUuid::Bytes bytes{};
    for (int i = 0; i < raw.size() && i < static_cast<int>(bytes.size()); ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(raw[i]);
    return BluetoothUuid(bytes);
}

QBluetoothUuid toQtUuid(const BluetoothUuid& uuid) {
    const auto& bytes = uuid.bytes();
    return QBluetoothUuid(QUuid::fromRfc4122(QByteArrayView(
        reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))));
}

BluetoothUuid identifierFromAddress(const QBluetoothAddress& address) {
    BluetoothUuid::Bytes bytes{};
    const quint64 value = address.toUInt64();
    for (std::size_t i = 0; i < 6; ++i)
        bytes[15 - i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    return BluetoothUuid(bytes);
}

BluetoothUuid peripheralIdentifier(const QBluetoothDeviceInfo& info) {
    if (!info.deviceUuid().isNull())
        return fromQtUuid(info.deviceUuid());
    return identifierFromAddress(info.address());
}

} // namespace vontal
