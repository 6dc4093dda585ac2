#include "manager_fixture.h"

#include <gmock/gmock.h>

namespace vontal {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Bytes kKeepAlive{0x00};

class KeepAlive : public TwoConnectedDevicesTest {
protected:
    std::size_t ticksAt(const BluetoothUuid& id) const { return dataWrites(id).size(); }
};

TEST_F(KeepAlive, FirstByteFifteenSecondsAfterPowerOnThenEveryFifteenToEveryConnectedDevice) {
    advance(milliseconds(14'999));
    EXPECT_THAT(dataWrites(a), IsEmpty());
    advance(milliseconds(1));
    EXPECT_THAT(dataWrites(a), ElementsAre(kKeepAlive));
    EXPECT_THAT(dataWrites(b), ElementsAre(kKeepAlive));
    advance(seconds(30));
    EXPECT_EQ(ticksAt(a), 3u);
    EXPECT_EQ(ticksAt(b), 3u);
    EXPECT_EQ(sim.clock.now(), seconds(45));
}

TEST_F(KeepAlive, AnotherPowerOnAfterTenSecondsMovesTheNextByteToFifteenSecondsAfterIt) {
    advance(seconds(10));
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    advance(seconds(5));
    EXPECT_EQ(ticksAt(a), 0u) << "the first timer was replaced";
    advance(milliseconds(9'999));
    EXPECT_EQ(ticksAt(a), 0u);
    advance(milliseconds(1));
    EXPECT_EQ(ticksAt(a), 1u);
    advance(seconds(15));
    EXPECT_EQ(ticksAt(a), 2u) << "exactly one timer ticks";
}

TEST_F(KeepAlive, TicksKeepComingWhileAPasswordAlertIsOpen) {
    const BluetoothUuid newcomer = addDevice(3);
    run();
    sim.alerts.cancel([&] { advance(seconds(31)); });
    manager->connect(discovered(newcomer));
    run();
    ASSERT_EQ(sim.alerts.requests().size(), 1u);
    EXPECT_EQ(ticksAt(a), 2u);
    EXPECT_EQ(ticksAt(b), 2u);
    // A keep-alive carries nothing of the user's: the newcomer, whose password is still asked
    // for, gets them too (and no name).
    EXPECT_THAT(dataWrites(newcomer), ElementsAre(kKeepAlive, kKeepAlive));
}

TEST_F(KeepAlive, StopsWithTheManager) {
    advance(seconds(15));
    ASSERT_EQ(ticksAt(a), 1u);
    manager.reset();
    advance(seconds(60));
    EXPECT_EQ(ticksAt(a), 1u);
    EXPECT_EQ(ticksAt(b), 1u);
}

TEST_F(KeepAlive, OnlyConnectedDevicesReceiveItAndNothingElseIsWritten) {
    sim.bluetooth.loseLink(b);
    sim.bluetooth.setAdvertising(b, false);
    run();
    const std::size_t before = recordSize();
    advance(seconds(15));
    const auto requests = requestsSince(before);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].device, a);
    EXPECT_EQ(requests[0].kind, SimRequest::Kind::WriteValue);
    EXPECT_EQ(requests[0].writeType, WriteType::WithoutResponse);
    EXPECT_EQ(requests[0].value, kKeepAlive);
}

} // namespace
} // namespace vontal
