#include "devicelink/bluetooth_uuid.h"

#include <array>
#include <gtest/gtest.h>
#include <unordered_set>

namespace vontal {
namespace {

TEST(BluetoothUuid, ParsesEitherCaseAndShortFormsAndPrintsUpperCase) {
    const auto upper = BluetoothUuid::parse("837084C2-C091-41FF-A39F-4C43873CE2D5");
    const auto lower = BluetoothUuid::parse("837084c2-c091-41ff-a39f-4c43873ce2d5");
    ASSERT_TRUE(upper && lower);
    EXPECT_EQ(*upper, *lower);
    EXPECT_EQ(lower->toString(), "837084C2-C091-41FF-A39F-4C43873CE2D5");

    EXPECT_EQ(BluetoothUuid::parse("180d")->toString(), "0000180D-0000-1000-8000-00805F9B34FB");
    EXPECT_EQ(BluetoothUuid::parse("0000180D"), BluetoothUuid::parse("180D"));
    EXPECT_FALSE(BluetoothUuid::parseFull("180D")) << "stored identifiers are always 36 long";

    const std::array<std::uint8_t, 16> raw{0x83, 0x70, 0x84, 0xC2, 0xC0, 0x91, 0x41, 0xFF,
                                           0xA3, 0x9F, 0x4C, 0x43, 0x87, 0x3C, 0xE2, 0xD5};
    EXPECT_EQ(BluetoothUuid::fromBytes(raw), upper);
    EXPECT_FALSE(BluetoothUuid::fromBytes(std::span(raw).first(15)));
}

TEST(BluetoothUuid, RejectsMalformedText) {
    for (const char* text :
         {"", "837084C2-C091-41FF-A39F-4C43873CE2D", "837084C2-C091-41FF-A39F-4C43873CE2D55",
          "837084C2C091-41FF-A39F-4C43873CE2D5-", "837084C2-C091-41FF-A39F-4C43873CE2DG",
          " 837084C2-C091-41FF-A39F-4C43873CE2D", "837084C-2C091-41FF-A39F-4C43873CE2D5", "18G0",
          "180", "{837084C2-C091-41FF-A39F-4C43873CE2D5}"})
        EXPECT_FALSE(BluetoothUuid::parse(text)) << text;
    EXPECT_TRUE(BluetoothUuid::fromString("not a uuid").isNull());
}

TEST(BluetoothUuid, EqualValuesHashAlikeAndOrderIsByValue) {
    const auto a = *BluetoothUuid::parse("00000000-0000-0000-0000-C0FFEE000001");
    const auto b = *BluetoothUuid::parse("00000000-0000-0000-0000-c0ffee000001");
    const auto c = *BluetoothUuid::parse("00000000-0000-0000-0000-C0FFEE000002");
    std::unordered_set<BluetoothUuid> set{a, b, c};
    EXPECT_EQ(set.size(), 2u);
    EXPECT_LT(a, c);
}

} // namespace
} // namespace vontal
