// Application names and keep-alives reach every connected device as writes without response.

#include "scenario.h"

#include <QTimer>

namespace vontal::test {
namespace {

const QString kServiceUuid = QStringLiteral("837084c2-c091-41ff-a39f-4c43873ce2d5");

// Qt asks bluetoothd for the UUID of each characteristic it passes before every write it sends
// itself; a write sent straight to the characteristic's object asks nothing. These are those
// questions in the stand-in's log from line `from` on.
std::size_t uuidLookups(const QStringList& log, qsizetype from) {
    std::size_t count = 0;
    for (qsizetype line = from; line < log.size(); ++line)
        count += log[line].contains(QStringLiteral(" Get ")) &&
                 log[line].endsWith(QStringLiteral("org.bluez.GattCharacteristic1.UUID"));
    return count;
}

// The application names a device received as writes without response, in order.
std::vector<std::string> namesReceived(const BluezMock& mock, const std::string& address) {
    std::vector<std::string> names;
    for (const auto& write : only(mock.operations(), "WriteValue", address, kDataUuid)) {
        const bool keepAlive = write.value == std::vector<std::uint8_t>{0x00};
        if (write.type == "command" && !keepAlive)
            names.emplace_back(write.value.begin(), write.value.end());
    }
    return names;
}

bool lastIs(const std::vector<std::string>& names, const std::string& name) {
    return !names.empty() && names.back() == name;
}

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
    // Activates the application and waits until both devices received its name: a name sent
    // while the previous write waits for bluetoothd would wait too, and only the newest goes.
    bool activateAndWait(const std::string& name) {
        const std::size_t desk = namesReceived(*mock, kDeskAddress).size();
        const std::size_t lamp = namesReceived(*mock, kLampAddress).size();
        workspace.activate(name);
        return waitUntil([&] {
            return namesReceived(*mock, kDeskAddress).size() == desk + 1 &&
                   namesReceived(*mock, kLampAddress).size() == lamp + 1;
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

TEST_F(TwoDevices, EachActivationIsOneCommandSentStraightToEveryDevice) {
    startManager();
    ASSERT_TRUE(bothReady());

    // Every name once per activation, in order, whatever it repeats; the empty name too, as a
    // write of no bytes. The last one marks the end: D-Bus keeps one sender's order.
    qsizetype mark = mock->logLines().size();
    const std::vector<std::string> sent{"Editor", "Café", "Editor", "", "Terminal"};
    for (const auto& name : sent)
        ASSERT_TRUE(activateAndWait(name)) << name;
    EXPECT_EQ(namesReceived(*mock, kDeskAddress), sent);
    EXPECT_EQ(namesReceived(*mock, kLampAddress), sent);
    EXPECT_EQ(uuidLookups(mock->logLines(), mark), 0u) << "the names went through Qt";

    // A new connection finds its characteristics again.
    mock->dropLink(kDeskAddress);
    ASSERT_TRUE(waitUntil([&] {
        return countLines("Notification state updated; isNotifying: true") == 3 &&
               connected(kDeskIdentifier);
    }));
    mark = mock->logLines().size();
    mock->clearOperations();
    ASSERT_TRUE(activateAndWait("Files"));
    ASSERT_TRUE(activateAndWait("Terminal"));
    const std::vector<std::string> again{"Files", "Terminal"};
    EXPECT_EQ(namesReceived(*mock, kDeskAddress), again);
    EXPECT_EQ(namesReceived(*mock, kLampAddress), again);
    EXPECT_EQ(uuidLookups(mock->logLines(), mark), 0u) << "the names went through Qt";
}

TEST_F(TwoDevices, NamesAreCutToTheLinkAndWhatBluetoothdRefusesIsSaidOnce) {
    // The desk's link carries 20 bytes per command from the start.
    mock->setMtu(kDeskAddress, 23);
    startManager();
    ASSERT_TRUE(bothReady());
    // 19 bytes, then a character of three that would end at byte 22: left out whole.
    const std::string name = "Terminal \u2014 projec\u6771\u4eac";
    ASSERT_TRUE(activateAndWait(name));
    ASSERT_TRUE(activateAndWait("Mail"));
    EXPECT_EQ(namesReceived(*mock, kDeskAddress),
              (std::vector<std::string>{"Terminal \u2014 projec", "Mail"}));
    EXPECT_EQ(namesReceived(*mock, kLampAddress), (std::vector<std::string>{name, "Mail"}));
    EXPECT_EQ(countLines("Names to Kitchen are cut to 20 bytes (link MTU 23)"), 1u);

    // The lamp's link shrinks after vontal looked: bluetoothd refuses the long names, and the
    // log says so once, not per name.
    mock->setMtu(kLampAddress, 23);
    ASSERT_TRUE(activateAndWait(name));
    ASSERT_TRUE(activateAndWait(name + " 2"));
    ASSERT_TRUE(waitForLine("Writing to Hall failed: Failed to initiate write"));
    workspace.activate("Mail");
    // Refused writes are in the stand-in's record too: two names, two refused, one more.
    ASSERT_TRUE(waitUntil([&] {
        const auto names = namesReceived(*mock, kLampAddress);
        return names.size() == 5 && names.back() == "Mail";
    }));
    EXPECT_EQ(countLines("Writing to Hall failed: Failed to initiate write"), 1u);
}

// bluetoothd takes 20 ms to answer each write; the user switches every millisecond or so, with
// keep-alives ticking. Each device has one write pending at most, and ends on the last name.
TEST_F(TwoDevices, ABurstOfSwitchesKeepsOneWritePendingPerDeviceAndEndsOnTheLastName) {
    PeripheralManager::Settings settings;
    settings.keepAliveInterval = std::chrono::milliseconds(50);
    startManager(settings);
    ASSERT_TRUE(bothReady());
    mock->setWriteDelay({}, 20);
    mock->clearOperations();

    constexpr int kSwitches = 1000;
    int next = 0;
    QTimer switcher;
    switcher.setInterval(1);
    QObject::connect(&switcher, &QTimer::timeout, [&] {
        if (next < kSwitches)
            workspace.activate("App " + std::to_string(next++));
    });
    switcher.start();
    ASSERT_TRUE(waitUntil([&] { return next == kSwitches; }, std::chrono::seconds(30)));
    switcher.stop();

    for (const auto& address : {kDeskAddress, kLampAddress}) {
        SCOPED_TRACE(address);
        // Keep-alives go on after the burst, so the last name is the last write that is not one.
        ASSERT_TRUE(waitUntil([&] {
            const auto names = namesReceived(*mock, address);
            return mock->commandWrites(address).pending == 0 && !names.empty() &&
                   names.back() == "App " + std::to_string(kSwitches - 1);
        }));
        EXPECT_EQ(mock->commandWrites(address).mostPending, 1u);
        // Paced by the answers: far fewer writes than switches, the last one the newest name.
        const auto names = namesReceived(*mock, address);
        EXPECT_LT(names.size(), static_cast<std::size_t>(kSwitches) / 4);
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names.back(), "App " + std::to_string(kSwitches - 1));
    }
    EXPECT_EQ(manager->lastSentName(), "App " + std::to_string(kSwitches - 1));
    // bluetoothd never had to refuse a write.
    for (const std::string& line : diagnostics.lines())
        EXPECT_FALSE(line.starts_with("Writing to ")) << line;
}

TEST_F(TwoDevices, AFloodOfDeviceNamesIsSavedOnceAndTheLastOneIsKept) {
    startManager();
    ASSERT_TRUE(bothReady());
    ASSERT_TRUE(waitUntil([&] { return !manager->hasUnsavedDeviceNames(); }));
    defaults.clearChanges();
    for (int i = 0; i < 300; ++i)
        mock->notify(desk.deviceName, QByteArray("Kitchen ") + QByteArray::number(i));
    ASSERT_TRUE(waitForLine("Custom device name from peripheral: Kitchen 299"));
    // Saved when the manager goes, if not before: at most one save per second of flood.
    manager.reset();
    std::size_t saves = 0;
    for (const auto& change : defaults.changes())
        saves += change.key == PeripheralManager::deviceNamesDefaultsKey;
    EXPECT_GE(saves, 1u);
    EXPECT_LE(saves, 3u);
    const auto names = defaults.dictionaryForKey(PeripheralManager::deviceNamesDefaultsKey);
    ASSERT_TRUE(names);
    EXPECT_EQ(std::get<std::string>(names->at(kDeskIdentifier)), "Kitchen 299");
}

// A data characteristic listed twice cannot be told apart by its UUID; the device still gets
// each name once, the way Qt sends it.
TEST_F(BackendScenario, ADataCharacteristicListedTwiceStillGetsEachNameOnce) {
    mock = std::make_unique<BluezMock>();
    mock->addDevice(kDeskAddress, "Desk", {kServiceUuid});
    const QString service = mock->addService(kDeskAddress, kServiceUuid);
    const QString password =
        mock->addCharacteristic(service, QString::fromStdString(kPasswordUuid), {"write"});
    for (int copy = 0; copy < 2; ++copy)
        mock->addCharacteristic(service, QString::fromStdString(kDataUuid),
                                {"read", "write", "write-without-response", "notify"},
                                QByteArray("\x00\x7f", 2));
    mock->addCharacteristic(service, QString::fromStdString(kDeviceNameUuid), {"read", "notify"},
                            "Kitchen");
    mock->setPassword(password, "hunter2");
    storePassword(kDeskIdentifier, "hunter2");
    startManager();
    ASSERT_TRUE(waitUntil([&] {
        return hasLine("Notification state updated; isNotifying: true") &&
               connected(kDeskIdentifier);
    }));

    workspace.activate("Editor");
    workspace.activate("Terminal");
    ASSERT_TRUE(waitUntil([&] { return lastIs(namesReceived(*mock, kDeskAddress), "Terminal"); }));
    EXPECT_EQ(namesReceived(*mock, kDeskAddress), (std::vector<std::string>{"Editor", "Terminal"}));
}

} // namespace
} // namespace vontal::test
