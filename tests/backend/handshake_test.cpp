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
