#include "platform/qt/bluetooth/identifiers.h"

#include <gtest/gtest.h>

namespace vontal {
namespace {

TEST(Identifiers, AnAddressFillsTheLowSixBytes) {
    EXPECT_EQ(
        identifierFromAddress(QBluetoothAddress(QStringLiteral("C0:FF:EE:00:00:01"))).toString(),
        "00000000-0000-0000-0000-C0FFEE000001");
    QBluetoothDeviceInfo linux(QBluetoothAddress(QStringLiteral("12:34:56:78:9A:BC")),
                               QStringLiteral("Desk"), 0);
    EXPECT_EQ(peripheralIdentifier(linux).toString(), "00000000-0000-0000-0000-123456789ABC");
}

TEST(Identifiers, ThePlatformUuidWinsWhereQtGivesOne) {
    const QBluetoothUuid platform(QStringLiteral("{a1b2c3d4-0000-4000-8000-00000000abcd}"));
    QBluetoothDeviceInfo mac(platform, QStringLiteral("Desk"), 0);
    EXPECT_EQ(peripheralIdentifier(mac).toString(), "A1B2C3D4-0000-4000-8000-00000000ABCD");
}

TEST(Identifiers, UuidsRoundTripBetweenQtAndTheDeviceLink) {
    const auto service = BluetoothUuid::fromString("837084C2-C091-41FF-A39F-4C43873CE2D5");
    EXPECT_EQ(toQtUuid(service),
              QBluetoothUuid(QStringLiteral("837084c2-c091-41ff-a39f-4c43873ce2d5")));
    EXPECT_EQ(fromQtUuid(toQtUuid(service)), service);
    // A 16-bit Qt UUID expands with the Bluetooth base UUID, as the device link's parser does.
    EXPECT_EQ(fromQtUuid(QBluetoothUuid(quint16(0x2902))), *BluetoothUuid::parse("2902"));
}

} // namespace
} // namespace vontal
