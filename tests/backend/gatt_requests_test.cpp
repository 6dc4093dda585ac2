#include "platform/qt/bluetooth/gatt_requests.h"
#include "tests/backend/fake_characteristic.h"

#include <gtest/gtest.h>

namespace vontal {
namespace {

TEST(GattRequests, ErrorsGoToTheOldestRequestOfTheirKindWhateverItsCharacteristic) {
    auto password = std::make_shared<FakeCharacteristic>();
    auto data = std::make_shared<FakeCharacteristic>();
    GattRequests requests;
    requests.add({GattRequestKind::Read, data});
    requests.add({GattRequestKind::Write, password});
    requests.add({GattRequestKind::Write, data});

    // Qt says only "a write failed": it is the password write, the first one sent.
    auto failed = requests.takeFailed(GattRequestKind::Write);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->characteristic, password);
    // The next write failure belongs to the data characteristic; the read is untouched.
    failed = requests.takeFailed(GattRequestKind::Write);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->characteristic, data);
    EXPECT_FALSE(requests.takeFailed(GattRequestKind::Write));
    auto read = requests.takeOldest();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->kind, GattRequestKind::Read);
    EXPECT_TRUE(requests.empty());
}

TEST(GattRequests, AnswersMatchKindAndCharacteristic) {
    auto password = std::make_shared<FakeCharacteristic>();
    auto data = std::make_shared<FakeCharacteristic>();
    GattRequests requests;
    requests.add({GattRequestKind::Write, password});
    requests.add({GattRequestKind::Notification, data, true});
    requests.add({GattRequestKind::Write, data});

    // A write confirmation for the data characteristic leaves the password write waiting.
    EXPECT_FALSE(requests.takeAnswered(GattRequestKind::Read, data.get()));
    auto answered = requests.takeAnswered(GattRequestKind::Write, data.get());
    ASSERT_TRUE(answered);
    EXPECT_EQ(answered->characteristic, data);
    auto notification = requests.takeAnswered(GattRequestKind::Notification, data.get());
    ASSERT_TRUE(notification);
    EXPECT_TRUE(notification->enableNotifications);
    // An answer nobody asked for (a write without response Qt confirms) matches nothing.
    EXPECT_FALSE(requests.takeAnswered(GattRequestKind::Write, data.get()));
    EXPECT_EQ(requests.takeOldest()->characteristic, password);
}

} // namespace
} // namespace vontal
