// Application names and keep-alives reach every connected device as writes without response.

#include "scenario.h"

namespace vontal::test {
namespace {

class TwoDevices : public BackendScenario {
protected:
    void SetUp() override {
        mock = std::make_unique<BluezMock>();
        desk = mock->addVontalDevice(kDeskAddress, "Desk", "desk-secret", "Kitchen");
        lamp = mock->addVontalDevice(kLampAddress, "Lamp", "lamp-secret", "Hall");
        storePassword(kDeskIdentifier, "desk-secret");
        storePassword(kLampIdentifier, "lamp-secret");
    }
    bool bothReady() {
        return waitUntil([&] {
            return countLines("Notification state updated; isNotifying: true") == 2 &&
                   connected(kDeskIdentifier) && connected(kLampIdentifier);
        });
    }
    std::vector<MockOperation> commands(const std::string& address) {
        std::vector<MockOperation> result;
        for (const auto& write : only(mock->operations(), "WriteValue", address, kDataUuid))
            if (write.type == "command")
                result.push_back(write);
        return result;
    }

    MockVontalDevice desk;
    MockVontalDevice lamp;
};

TEST_F(TwoDevices, EachHandshakesWithItsOwnPassword) {
    startManager();
    ASSERT_TRUE(bothReady());

    const auto operations = mock->operations();
    const auto deskPasswords = only(operations, "WriteValue", kDeskAddress, kPasswordUuid);
    const auto lampPasswords = only(operations, "WriteValue", kLampAddress, kPasswordUuid);
    ASSERT_EQ(deskPasswords.size(), 1u);
    ASSERT_EQ(lampPasswords.size(), 1u);
    EXPECT_EQ(deskPasswords[0].value, bytesOf("desk-secret"));
    EXPECT_EQ(lampPasswords[0].value, bytesOf("lamp-secret"));
    // Each device paired its own data characteristic, once.
    for (const auto& address : {kDeskAddress, kLampAddress}) {
        const auto pairing = only(operations, "WriteValue", address, kDataUuid);
        ASSERT_EQ(pairing.size(), 1u) << address;
        EXPECT_EQ(pairing[0].type, "request");
        EXPECT_EQ(only(operations, "StartNotify", address, kDataUuid).size(), 1u) << address;
    }
    EXPECT_EQ(countLines("Password accepted – proceeding with data characteristic"), 2u);
    EXPECT_EQ(countLines("Write for pairing succeeded (pairing prompt should appear)"), 2u);
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_EQ(manager->displayName(connected(kDeskIdentifier)), "Kitchen");
    EXPECT_EQ(manager->displayName(connected(kLampIdentifier)), "Hall");
}

TEST_F(TwoDevices, ActivationsAndKeepAlivesReachEveryDeviceAsCommands) {
    PeripheralManager::Settings settings;
    settings.keepAliveInterval = std::chrono::milliseconds(200);
    startManager(settings);
    ASSERT_TRUE(bothReady());

    workspace.activate("Café");
    // Keep-alives may come before or after the name; the name arrives whole, once per device.
    const std::vector<std::uint8_t> cafe{0x43, 0x61, 0x66, 0xC3, 0xA9};
    auto names = [&](const std::string& address) {
        std::size_t count = 0;
        for (const auto& write : commands(address))
            count += write.value == cafe;
        return count;
    };
    ASSERT_TRUE(waitUntil([&] { return names(kDeskAddress) == 1 && names(kLampAddress) == 1; }));

    // Keep-alives: the single byte 0 as a command, to both, again and again.
    auto keepAlives = [&](const std::string& address) {
        std::size_t count = 0;
        for (const auto& write : commands(address))
            count += write.value == std::vector<std::uint8_t>{0x00};
        return count;
    };
    ASSERT_TRUE(
        waitUntil([&] { return keepAlives(kDeskAddress) >= 2 && keepAlives(kLampAddress) >= 2; }));
    // Commands are never answered, so nothing was printed for them.
    EXPECT_EQ(countLines("Write for pairing succeeded (pairing prompt should appear)"), 2u);
}

} // namespace
} // namespace vontal::test
