// The device handshake over Qt Bluetooth and BlueZ: what reaches the device, and what the
// manager prints.

#include "scenario.h"

namespace vontal::test {
namespace {

std::vector<std::string> operationNames(const std::vector<MockOperation>& operations) {
    std::vector<std::string> names;
    for (const auto& operation : operations)
        names.push_back(operation.operation);
    return names;
}

TEST_F(BackendScenario, StoredPasswordUnlocksTheDeviceAndPairsItsDataCharacteristic) {
    mock = std::make_unique<BluezMock>();
    auto desk = mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
    storePassword(kDeskIdentifier, "hunter2");
    startManager();

    ASSERT_TRUE(waitForLine("Notification state updated; isNotifying: true"));
    ASSERT_TRUE(waitForLine("Write for pairing succeeded (pairing prompt should appear)"));
    ASSERT_TRUE(waitForLine("Custom device name from peripheral: Kitchen"));

    const auto operations = mock->operations();
    const auto passwordWrites = only(operations, "WriteValue", kDeskAddress, kPasswordUuid);
    ASSERT_EQ(passwordWrites.size(), 1u);
    EXPECT_EQ(passwordWrites[0].value, bytesOf("hunter2"));
    EXPECT_EQ(passwordWrites[0].type, "request");

    // On the data characteristic: the pairing step, in order, and nothing else.
    std::vector<MockOperation> onData;
    for (const auto& operation : operations)
        if (operation.uuid == kDataUuid)
            onData.push_back(operation);
    ASSERT_EQ(operationNames(onData),
              (std::vector<std::string>{"ReadValue", "WriteValue", "StartNotify"}));
    EXPECT_EQ(onData[1].value, std::vector<std::uint8_t>{0x00});
    EXPECT_EQ(onData[1].type, "request");
    // The pairing step starts only once the password was accepted.
    auto position = [&](const std::string& operation, const std::string& uuid) {
        return std::find_if(operations.begin(), operations.end(),
                            [&](const MockOperation& o) {
                                return o.operation == operation && o.uuid == uuid;
                            }) -
               operations.begin();
    };
    EXPECT_LT(position("WriteValue", kPasswordUuid), position("ReadValue", kDataUuid));
    EXPECT_EQ(only(operations, "ReadValue", kDeskAddress, kDeviceNameUuid).size(), 1u);
    EXPECT_EQ(only(operations, "StartNotify", kDeskAddress, kDeviceNameUuid).size(), 1u);

    EXPECT_EQ(countLines("Bluetooth powered ON — restarting scan and reconnect"), 1u);
    EXPECT_EQ(countLines("Password accepted – proceeding with data characteristic"), 1u);
    EXPECT_TRUE(alerts.requests().empty());

    auto peripheral = connected(kDeskIdentifier);
    ASSERT_NE(peripheral, nullptr);
    EXPECT_EQ(peripheral->name(), std::optional<std::string>("Desk"));
    EXPECT_EQ(manager->displayName(peripheral), "Kitchen");

    // Notifications from the device arrive; a new name becomes the label.
    mock->notify(desk.deviceName, "Hall");
    ASSERT_TRUE(waitUntil([&] { return manager->displayName(peripheral) == "Hall"; }));
    mock->notify(desk.data, QByteArray("\x01\x02", 2));
    ASSERT_TRUE(waitForLine("Bonding read response bytes: [1, 2]"));
    // bluetoothd announced each read value again as a change before these notifications were
    // sent; one read still made one value report.
    EXPECT_EQ(countLines("Bonding read response bytes: [0, 127]"), 1u);
    EXPECT_EQ(countLines("Custom device name from peripheral: Kitchen"), 1u);
    EXPECT_EQ(countLines("Custom device name from peripheral: Hall"), 1u);
}

} // namespace
} // namespace vontal::test

namespace vontal::test {
namespace {

TEST_F(BackendScenario, RefusedPasswordLeadsToTheIncorrectPasswordPromptAndRetryUnlocks) {
    mock = std::make_unique<BluezMock>();
    mock->addVontalDevice(kDeskAddress, "Desk", "right", "Kitchen");
    storePassword(kDeskIdentifier, "wrong");
    alerts.answer(0, "right"); // Retry
    startManager();

    ASSERT_TRUE(waitForLine("Password accepted – proceeding with data characteristic"));
    ASSERT_TRUE(waitForLine("Write for pairing succeeded (pairing prompt should appear)"));

    const auto writes = only(mock->operations(), "WriteValue", kDeskAddress, kPasswordUuid);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].value, bytesOf("wrong"));
    EXPECT_EQ(writes[1].value, bytesOf("right"));
    EXPECT_EQ(writes[1].type, "request");

    // The refusal reached the manager as an error on the password characteristic, with words.
    ASSERT_EQ(countLines("Password write failed: The device refused the write."), 1u);
    const auto& lines = diagnostics.lines();
    EXPECT_LT(std::find(lines.begin(), lines.end(),
                        "Password write failed: The device refused the write."),
              std::find(lines.begin(), lines.end(),
                        "Password accepted – proceeding with data characteristic"));
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].messageText, "Incorrect password for Desk");
    EXPECT_EQ(alerts.requests()[0].buttons, (std::vector<std::string>{"Retry", "Cancel"}));
    EXPECT_EQ(defaults.stringForKey(kDeskIdentifier), std::optional<std::string>("right"));
    EXPECT_TRUE(alerts.unexpected().empty());
}

TEST_F(BackendScenario, UserConnectAsksForThePasswordAndCancelDropsTheLink) {
    mock = std::make_unique<BluezMock>();
    mock->addVontalDevice(kDeskAddress, "Desk", "right", "Kitchen");
    alerts.cancel();
    startManager();

    ASSERT_TRUE(waitUntil([&] { return manager->discoveredPeripherals().size() == 1; }));
    auto desk = manager->discoveredPeripherals().front();
    EXPECT_EQ(manager->displayName(desk), "Desk · 0001");
    manager->connect(desk);

    // Cancel in the password prompt cancels the connection: the device sees the link go, and
    // the restarted scan lists it under Discovered again, the same object as before.
    ASSERT_TRUE(waitForOperations("Disconnect", kDeskAddress, "", 1));
    ASSERT_TRUE(waitUntil([&] {
        return manager->connectedPeripherals().empty() &&
               manager->discoveredPeripherals().size() == 1;
    }));
    EXPECT_EQ(manager->discoveredPeripherals().front(), desk);
    EXPECT_EQ(desk->state(), PeripheralState::Disconnected);
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].messageText, "Enter password for Desk");
    EXPECT_TRUE(only(mock->operations(), "WriteValue", kDeskAddress, kPasswordUuid).empty());
    EXPECT_FALSE(defaults.stringForKey(kDeskIdentifier));

    // Connecting again with the right password unlocks it.
    alerts.accept("right");
    manager->connect(desk);
    ASSERT_TRUE(waitForLine("Password accepted – proceeding with data characteristic"));
    EXPECT_EQ(alerts.requests().size(), 2u);
    EXPECT_EQ(defaults.stringForKey(kDeskIdentifier), std::optional<std::string>("right"));
}

TEST_F(BackendScenario, ARefusedPairingWriteIsReportedOnTheDataCharacteristic) {
    mock = std::make_unique<BluezMock>();
    auto desk = mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
    mock->refuseWrites(desk.data, "org.bluez.Error.NotPermitted");
    storePassword(kDeskIdentifier, "hunter2");
    startManager();

    ASSERT_TRUE(waitForLine("Error writing for pairing: The device refused the write."));
    // The password write before it was accepted: its answer was not mistaken for this one.
    EXPECT_EQ(countLines("Password accepted – proceeding with data characteristic"), 1u);
    EXPECT_EQ(countLines("Write for pairing succeeded (pairing prompt should appear)"), 0u);
    EXPECT_TRUE(alerts.requests().empty());
    ASSERT_TRUE(waitForLine("Notification state updated; isNotifying: true"));
}

} // namespace
} // namespace vontal::test
