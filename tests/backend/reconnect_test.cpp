// Known devices come back by themselves: after the radio was off, after a lost link, after an
// unreachable spell and after bluetoothd itself went away.

#include "scenario.h"

namespace vontal::test {
namespace {

class KnownDesk : public BackendScenario {
protected:
    void SetUp() override {
        mock = std::make_unique<BluezMock>();
        desk = mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
        storePassword(kDeskIdentifier, "hunter2");
    }
    // Connected, unlocked and paired for the given time: the mock saw the stored password
    // written (as often as it recorded since it was last cleared) and the handshake finished.
    bool waitForUnlock(std::size_t passwordWrites, std::size_t unlocks) {
        return waitForOperations("WriteValue", kDeskAddress, kPasswordUuid, passwordWrites) &&
               waitUntil([&] {
                   return countLines("Password accepted – proceeding with data characteristic") ==
                              unlocks &&
                          countLines("Notification state updated; isNotifying: true") == unlocks &&
                          connected(kDeskIdentifier);
               });
    }

    MockVontalDevice desk;
};

TEST_F(KnownDesk, PoweredOffEmptiesTheListsAndPoweredOnBringsTheDeviceBack) {
    mock->addVontalDevice(kLampAddress, "Lamp", "lamp-secret", "Hall"); // not known
    startManager();
    ASSERT_TRUE(waitForUnlock(1, 1));
    ASSERT_TRUE(waitUntil([&] { return manager->discoveredPeripherals().size() == 1; }));

    mock->setPowered(false);
    ASSERT_TRUE(waitForLine("Bluetooth powered OFF — clearing state"));
    EXPECT_TRUE(manager->connectedPeripherals().empty());
    EXPECT_TRUE(manager->discoveredPeripherals().empty());
    EXPECT_EQ(manager->central()->state(), CentralState::PoweredOff);

    mock->clearOperations();
    mock->setPowered(true);
    ASSERT_TRUE(waitUntil(
        [&] { return countLines("Bluetooth powered ON — restarting scan and reconnect") == 2; }));
    ASSERT_TRUE(waitForUnlock(1, 2));
    ASSERT_TRUE(waitUntil([&] { return manager->discoveredPeripherals().size() == 1; }));
    EXPECT_EQ(manager->displayName(manager->discoveredPeripherals().front()), "Lamp · 0002");
    EXPECT_FALSE(only(mock->operations(), "StartDiscovery").empty());
    EXPECT_TRUE(alerts.requests().empty());
}

TEST_F(KnownDesk, ALinkLostFromTheDeviceSideComesBackByItself) {
    startManager();
    ASSERT_TRUE(waitForUnlock(1, 1));
    const PeripheralRef before = connected(kDeskIdentifier);

    mock->clearOperations();
    mock->dropLink(kDeskAddress);
    ASSERT_TRUE(waitUntil([&] { return manager->connectedPeripherals().empty(); }));
    ASSERT_TRUE(waitForUnlock(1, 2));

    // Disconnected report, then a new scan, then a new connection, and the whole handshake.
    const auto operations = mock->operations();
    auto first = [&](const std::string& name) {
        return std::find_if(operations.begin(), operations.end(),
                            [&](const MockOperation& o) { return o.operation == name; }) -
               operations.begin();
    };
    EXPECT_LT(first("StartDiscovery"), first("Connect"));
    EXPECT_LT(first("Connect"), first("WriteValue"));
    EXPECT_EQ(only(operations, "WriteValue", kDeskAddress, kPasswordUuid).size(), 1u);
    // The same device is the same object for as long as it lives.
    EXPECT_EQ(connected(kDeskIdentifier), before);
    EXPECT_EQ(manager->displayName(before), "Kitchen");
}

TEST_F(KnownDesk, ADeviceOutOfReachIsConnectedWhenItAnswersAgain) {
    startManager();
    ASSERT_TRUE(waitForUnlock(1, 1));

    mock->setReachable(kDeskAddress, false);
    mock->dropLink(kDeskAddress);
    // The manager asked once; the backend keeps trying, as a connection request has no limit.
    ASSERT_TRUE(waitForOperations("Connect", kDeskAddress, "", 3));
    EXPECT_FALSE(connected(kDeskIdentifier));
    EXPECT_EQ(manager->pendingPeripherals().size(), 1u);
    EXPECT_EQ(manager->pendingPeripherals().front()->state(), PeripheralState::Connecting);

    // Tried again after 1 s, then 2 s: growing pauses, said once.
    const std::string backingOff = "Connecting Desk (C0:FF:EE:00:00:01) keeps failing; trying "
                                   "again after a growing pause, up to 60 s";
    ASSERT_TRUE(waitForLine(backingOff));
    EXPECT_EQ(countLines(backingOff), 1u);

    mock->setReachable(kDeskAddress, true);
    ASSERT_TRUE(waitForUnlock(2, 2));
    EXPECT_TRUE(manager->pendingPeripherals().empty());
}

TEST_F(KnownDesk, ADeviceThatDropsTheLinkAtItsPasswordIsNotReconnectedInALoop) {
    mock->dropLinkOnWrite(desk.password, true);
    PeripheralManager::Settings settings;
    settings.firstReconnectPause = std::chrono::milliseconds(100);
    settings.maximumReconnectPause = std::chrono::milliseconds(400);
    startManager(settings);
    ASSERT_TRUE(waitForOperations("WriteValue", kDeskAddress, kPasswordUuid, 5));
    // Without pauses this would be hundreds of connections by now.
    EXPECT_LE(only(mock->operations(), "Connect", kDeskAddress).size(), 6u);
    EXPECT_EQ(countLines("Connecting Desk \u00B7 0001 keeps failing; trying again after a "
                         "growing pause, up to 400 ms"),
              1u);
    EXPECT_TRUE(only(mock->operations(), "WriteValue", kDeskAddress, kDataUuid).empty())
        << "nothing but the password reached the locked device";

    // Once it takes its password, it is an ordinary known device again.
    mock->dropLinkOnWrite(desk.password, false);
    ASSERT_TRUE(waitUntil([&] {
        return countLines("Password accepted \u2013 proceeding with data characteristic") == 1 &&
               connected(kDeskIdentifier);
    }));
    EXPECT_FALSE(manager->isBackingOff(BluetoothUuid::parse(kDeskIdentifier).value()));
}

TEST_F(KnownDesk, BluetoothdGoneAndBackReconnectsWithoutRestarting) {
    startManager();
    ASSERT_TRUE(waitForUnlock(1, 1));
    const PeripheralRef before = connected(kDeskIdentifier);

    mock->stop();
    // No bluetoothd, no adapter: unsupported, and the link went with it.
    ASSERT_TRUE(waitForLine("Central state: 2"));
    EXPECT_EQ(manager->central()->state(), CentralState::Unsupported);
    EXPECT_EQ(before->state(), PeripheralState::Disconnected);

    mock->restart();
    desk = mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
    ASSERT_TRUE(waitUntil(
        [&] { return countLines("Bluetooth powered ON — restarting scan and reconnect") == 2; }));
    ASSERT_TRUE(waitForUnlock(1, 2));
    EXPECT_EQ(connected(kDeskIdentifier), before);
    EXPECT_TRUE(alerts.requests().empty());
}

} // namespace
} // namespace vontal::test
