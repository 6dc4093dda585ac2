#include "platform/qt/bluetooth/read_echo_filter.h"
#include "tests/backend/fake_characteristic.h"

#include <gtest/gtest.h>

namespace vontal {
namespace {

using Clock = ReadEchoFilter::Clock;

class ReadEchoFilterTest : public ::testing::Test {
protected:
    FakeCharacteristic name;
    FakeCharacteristic data;
    ReadEchoFilter filter;
    Clock::time_point t0 = Clock::time_point{} + std::chrono::hours(1);
};

TEST_F(ReadEchoFilterTest, EchoAfterTheAnswerIsDroppedOnce) {
    filter.readSent(&name);
    filter.readAnswered(&name, {0x41}, t0);
    EXPECT_FALSE(filter.isNotification(&name, {0x41}, t0 + std::chrono::milliseconds(3)));
    // The same value again is the device notifying.
    EXPECT_TRUE(filter.isNotification(&name, {0x41}, t0 + std::chrono::milliseconds(5)));
}

TEST_F(ReadEchoFilterTest, EchoBeforeTheAnswerIsDroppedAndTheAnswerExpectsNoOther) {
    filter.readSent(&name);
    EXPECT_FALSE(filter.isNotification(&name, {0x41}, t0));
    filter.readAnswered(&name, {0x41}, t0);
    EXPECT_TRUE(filter.isNotification(&name, {0x41}, t0 + std::chrono::milliseconds(1)));
}

TEST_F(ReadEchoFilterTest, NotificationsAreNotTakenForEchoes) {
    // Another value, another characteristic, or the expected value too late: all real.
    filter.readSent(&name);
    filter.readAnswered(&name, {0x41}, t0);
    EXPECT_TRUE(filter.isNotification(&data, {0x41}, t0));
    EXPECT_TRUE(filter.isNotification(&name, {0x42}, t0));

    filter.readSent(&data);
    filter.readAnswered(&data, {0x00}, t0);
    EXPECT_TRUE(filter.isNotification(
        &data, {0x00}, t0 + ReadEchoFilter::kEchoWindow + std::chrono::milliseconds(1)));
    // A characteristic never read has nothing to filter.
    FakeCharacteristic other;
    EXPECT_TRUE(filter.isNotification(&other, {}, t0));
}

TEST_F(ReadEchoFilterTest, AFailedReadExpectsNoEcho) {
    filter.readSent(&data);
    filter.readFailed(&data);
    EXPECT_TRUE(filter.isNotification(&data, {0x01}, t0));
}

TEST_F(ReadEchoFilterTest, TwoReadsInFlightSwallowTwoEchoes) {
    filter.readSent(&data);
    filter.readSent(&data);
    EXPECT_FALSE(filter.isNotification(&data, {0x01}, t0));
    EXPECT_FALSE(filter.isNotification(&data, {0x01}, t0));
    filter.readAnswered(&data, {0x01}, t0);
    filter.readAnswered(&data, {0x01}, t0);
    EXPECT_TRUE(filter.isNotification(&data, {0x01}, t0));
}

} // namespace
} // namespace vontal
