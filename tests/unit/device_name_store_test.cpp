#include "manager_fixture.h"

#include <gmock/gmock.h>

namespace vontal {
namespace {

constexpr std::chrono::milliseconds kSaveDelay = std::chrono::seconds(1);

using ::testing::IsEmpty;

const std::string kKey = PeripheralManager::deviceNamesDefaultsKey;

class DeviceNameStore : public ManagerTest {
protected:
    std::optional<DefaultsValue> stored() const { return sim.defaults.valueForKey(kKey); }
    static DefaultsValue
    dictionary(std::initializer_list<std::pair<const std::string, std::string>> entries) {
        DefaultsDictionary result;
        for (const auto& [key, value] : entries)
            result[key] = value;
        return result;
    }
    void storeRaw(DefaultsValue value) {
        sim.defaults.setValue(kKey, value);
        sim.defaults.clearChanges();
    }
};

const std::string kKitchen = "A1B2C3D4-0000-4000-8000-00000000ABCD";

TEST_F(DeviceNameStore, NothingStoredLoadsNothingAndWritesNothing) {
    make();
    EXPECT_THAT(manager->deviceNames(), IsEmpty());
    EXPECT_FALSE(stored());
    EXPECT_THAT(sim.defaults.changes(), IsEmpty());
}

TEST_F(DeviceNameStore, AnEmptyDictionaryIsWrittenBackEmpty) {
    storeRaw(DefaultsDictionary{});
    make();
    EXPECT_THAT(manager->deviceNames(), IsEmpty());
    ASSERT_EQ(sim.defaults.changes().size(), 1u);
    EXPECT_EQ(stored(), DefaultsValue(DefaultsDictionary{}));
}

TEST_F(DeviceNameStore, KeysThatAreNotIdentifiersAreDroppedAndLowerCaseKeysRewritten) {
    storeRaw(dictionary({{"not an identifier", "Junk"},
                         {"a1b2c3d4-0000-4000-8000-00000000abcd", "Kitchen"},
                         {"1234", "Short form is not an identifier here"}}));
    make();
    EXPECT_EQ(manager->deviceNames(),
              (std::map<BluetoothUuid, std::string>{{*BluetoothUuid::parse(kKitchen), "Kitchen"}}));
    EXPECT_EQ(stored(), dictionary({{kKitchen, "Kitchen"}}));
}

TEST_F(DeviceNameStore, KeysDifferingOnlyInCaseLeaveOneName) {
    storeRaw(dictionary({{kKitchen, "Upper"}, {"a1b2c3d4-0000-4000-8000-00000000abcd", "Lower"}}));
    make();
    ASSERT_EQ(manager->deviceNames().size(), 1u);
    const std::string survivor = manager->deviceNames().begin()->second;
    EXPECT_TRUE(survivor == "Upper" || survivor == "Lower") << survivor;
    EXPECT_EQ(stored(), dictionary({{kKitchen, survivor}}));
}

TEST_F(DeviceNameStore, UnusableStoredValuesAreIgnoredWholeAndLeftInPlace) {
    DefaultsDictionary withNumber{{kKitchen, std::string("Kitchen")},
                                  {deviceId(1).toString(), std::int64_t{42}}};
    for (const DefaultsValue& unusable :
         {DefaultsValue(withNumber), DefaultsValue(std::string("Kitchen")), DefaultsValue(true),
          DefaultsValue(Bytes{1, 2})}) {
        storeRaw(unusable);
        make();
        EXPECT_THAT(manager->deviceNames(), IsEmpty());
        EXPECT_THAT(sim.defaults.changes(), IsEmpty()) << "nothing is written";
        EXPECT_EQ(stored(), unusable);
        manager.reset();
    }

    // The next name read replaces the unusable value with a dictionary of that name alone.
    const BluetoothUuid id = addKnownDevice(1);
    start();
    advance(kSaveDelay);
    EXPECT_EQ(stored(), dictionary({{id.toString(), "Device 1"}}));
}

TEST_F(DeviceNameStore, NamesSurviveARestartAndTheStoreHoldsExactlyNamesAndPasswords) {
    SimDeviceSpec first = vontalDevice(deviceId(1), "Device 1", "one", "Kitchen");
    SimDeviceSpec second = vontalDevice(deviceId(2), "Device 2", "two", "Caf\u00E9 \u00B7 Bar");
    addDevice(first);
    addDevice(second);
    sim.alerts.accept("one");
    sim.alerts.accept("two");
    start();
    manager->connect(discovered(deviceId(1)));
    manager->connect(discovered(deviceId(2)));
    run();
    ASSERT_TRUE(sim.bluetooth.isUnlocked(deviceId(1)) && sim.bluetooth.isUnlocked(deviceId(2)));
    advance(kSaveDelay);

    const std::map<std::string, DefaultsValue> expected{
        {"vontal.deviceNames",
         dictionary({{"00000000-0000-0000-0000-C0FFEE000001", "Kitchen"},
                     {"00000000-0000-0000-0000-C0FFEE000002", "Caf\u00E9 \u00B7 Bar"}})},
        {"00000000-0000-0000-0000-C0FFEE000001", std::string("one")},
        {"00000000-0000-0000-0000-C0FFEE000002", std::string("two")},
    };
    EXPECT_EQ(sim.defaults.raw(), expected);

    // A second run over the same store: the names are there before any device is seen.
    manager.reset();
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    make();
    EXPECT_EQ(manager->deviceNames(),
              (std::map<BluetoothUuid, std::string>{{deviceId(1), "Kitchen"},
                                                    {deviceId(2), "Caf\u00E9 \u00B7 Bar"}}));
    EXPECT_EQ(sim.defaults.raw(), expected);
    // Nothing is added by loading: the store is rewritten as it was.
    EXPECT_EQ(sim.defaults.changes().back().key, "vontal.deviceNames");
}

TEST_F(DeviceNameStore, ANameReadAgainReplacesTheEntryAndEmptyNamesAreKept) {
    const BluetoothUuid id = addKnownDevice(1);
    start();
    advance(kSaveDelay);
    EXPECT_EQ(stored(), dictionary({{id.toString(), "Device 1"}}));

    sim.bluetooth.notify(id, PeripheralManager::deviceNameUUID, bytesOf("Renamed"));
    run();
    EXPECT_EQ(manager->deviceNames().at(id), "Renamed");
    advance(kSaveDelay);
    EXPECT_EQ(stored(), dictionary({{id.toString(), "Renamed"}}));

    sim.bluetooth.notify(id, PeripheralManager::deviceNameUUID, {});
    run();
    advance(kSaveDelay);
    EXPECT_EQ(manager->deviceNames().at(id), "");
    EXPECT_EQ(stored(), dictionary({{id.toString(), ""}}));
    EXPECT_EQ(manager->displayName(manager->connectedPeripherals().front()), "");
}

TEST_F(DeviceNameStore, DisconnectAndPowerOffKeepNames) {
    const BluetoothUuid id = addKnownDevice(1);
    start();
    manager->disconnect(manager->connectedPeripherals().front());
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    run();
    advance(kSaveDelay);
    EXPECT_FALSE(storedPassword(id));
    EXPECT_EQ(manager->deviceNames().at(id), "Device 1");
    EXPECT_EQ(stored(), dictionary({{id.toString(), "Device 1"}}));
}

TEST_F(DeviceNameStore, AFloodOfNamesIsSavedOncePerPauseAndWhatIsLeftIsSavedAtTheEnd) {
    const BluetoothUuid id = addKnownDevice(1);
    start();
    advance(kSaveDelay);
    const auto saves = [&] {
        return std::count_if(sim.defaults.changes().begin(), sim.defaults.changes().end(),
                             [](const auto& change) { return change.key == "vontal.deviceNames"; });
    };
    const auto before = saves();
    const auto nameLines = [&] {
        const auto lines = takeLines();
        return std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.starts_with("Custom device name from peripheral: ");
        });
    };
    EXPECT_EQ(nameLines(), 1) << "the name read on connecting";

    // The same name again changes nothing, is not saved and is not logged again.
    for (int i = 0; i < 3000; ++i) {
        sim.bluetooth.notify(id, PeripheralManager::deviceNameUUID, bytesOf("Device 1"));
        advance(std::chrono::milliseconds(1));
    }
    advance(kSaveDelay);
    EXPECT_EQ(saves(), before);
    EXPECT_EQ(nameLines(), 0);

    // 2,000 different names a millisecond apart: one save per pause, the last one kept.
    for (int i = 0; i < 2000; ++i) {
        sim.bluetooth.notify(id, PeripheralManager::deviceNameUUID,
                             bytesOf("Name " + std::to_string(i)));
        advance(std::chrono::milliseconds(1));
    }
    EXPECT_GE(saves() - before, 1);
    EXPECT_LE(saves() - before, 2);
    EXPECT_EQ(manager->deviceNames().at(id), "Name 1999");
    EXPECT_EQ(nameLines(), 2000) << "each new name is said";

    // A name that comes back after another is said again; a new link says its name once.
    for (const char* name : {"Name 1998", "Name 1998", "Name 1999"})
        sim.bluetooth.notify(id, PeripheralManager::deviceNameUUID, bytesOf(name));
    run();
    EXPECT_EQ(nameLines(), 2);
    sim.bluetooth.loseLink(id);
    advance(std::chrono::seconds(2));
    ASSERT_TRUE(manager->isUnlocked(id));
    EXPECT_THAT(takeLines(), ::testing::Contains("Custom device name from peripheral: Name 1999"));

    // Quitting within the pause loses nothing.
    sim.bluetooth.notify(id, PeripheralManager::deviceNameUUID, bytesOf("Last words"));
    run();
    EXPECT_NE(stored(), dictionary({{id.toString(), "Last words"}}));
    manager.reset();
    EXPECT_EQ(stored(), dictionary({{id.toString(), "Last words"}}));
}

} // namespace
} // namespace vontal
