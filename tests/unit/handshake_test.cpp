#include "manager_fixture.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <sstream>

namespace vontal {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::UnorderedElementsAre;
using Kind = SimRequest::Kind;

const char* const kOn = "Bluetooth powered ON \u2014 restarting scan and reconnect";
const char* const kPaired = "Write for pairing succeeded (pairing prompt should appear)";
const char* const kNotifying = "Notification state updated; isNotifying: true";

// What a device was asked after its link came up: the kind and the characteristic's role.
std::string role(const std::optional<BluetoothUuid>& uuid) {
    if (!uuid)
        return "";
    if (*uuid == PeripheralManager::passwordCharUUID)
        return " password";
    if (*uuid == PeripheralManager::characteristicUUID)
        return " data";
    if (*uuid == PeripheralManager::deviceNameUUID)
        return " name";
    return " other";
}

// Printable text in quotes, anything else as a byte list.
std::string shown(const Bytes& value) {
    if (!value.empty() && std::all_of(value.begin(), value.end(), [](std::uint8_t byte) {
            return byte >= 0x20 && byte < 0x7F;
        }))
        return "\"" + std::string(value.begin(), value.end()) + "\"";
    std::string text = "[";
    for (std::size_t i = 0; i < value.size(); ++i)
        text += (i ? " " : "") + std::to_string(value[i]);
    return text + "]";
}

class Handshake : public ManagerTest {
protected:
    std::vector<std::string> asked(const BluetoothUuid& id) const {
        std::vector<std::string> result;
        for (const SimRequest& request : sim.bluetooth.requestsFor(id)) {
            std::ostringstream line;
            line << request.kind << role(request.characteristic);
            if (request.kind == Kind::WriteValue)
                line << ' ' << shown(request.value)
                     << (request.writeType == WriteType::WithResponse ? " with" : " without");
            if (!request.delivered())
                line << " UNDELIVERED";
            result.push_back(line.str());
        }
        return result;
    }
    std::vector<std::string> linesStartingWith(std::initializer_list<std::string> prefixes) const {
        std::vector<std::string> result;
        for (const std::string& line : sim.diagnostics.lines())
            for (const std::string& prefix : prefixes)
                if (line.rfind(prefix, 0) == 0)
                    result.push_back(line);
        return result;
    }
    static void setValue(SimDeviceSpec& deviceSpec, const BluetoothUuid& uuid, Bytes value) {
        for (SimServiceSpec& service : deviceSpec.services)
            for (SimCharacteristicSpec& characteristic : service.characteristics)
                if (characteristic.uuid == uuid)
                    characteristic.value = value;
    }
    BluetoothUuid addKnown(SimDeviceSpec deviceSpec) {
        const BluetoothUuid id = addDevice(deviceSpec);
        storePassword(id, deviceSpec.password.value_or(""));
        return id;
    }
    std::size_t invalidRequests() const {
        return std::count_if(sim.bluetooth.requests().begin(), sim.bluetooth.requests().end(),
                             [](const SimRequest& r) { return !r.validHandle; });
    }
};

TEST_F(Handshake, AStoredPasswordUnlocksWithoutAPromptThenThePairingStepRunsOnTheData) {
    SimDeviceSpec deviceSpec = makeDeviceSpec(1);
    setValue(deviceSpec, PeripheralManager::characteristicUUID, {0x00, 0x7F});
    const BluetoothUuid id = addKnown(deviceSpec);
    start();

    EXPECT_THAT(sim.alerts.requests(), IsEmpty());
    EXPECT_THAT(asked(id), ElementsAre("connect", "discoverServices", "discoverCharacteristics",
                                       "writeValue password \"pw-1\" with", "readValue name",
                                       "setNotifyValue name", "readValue data",
                                       "writeValue data [0] with", "setNotifyValue data"));
    const auto requests = sim.bluetooth.requestsFor(id);
    EXPECT_EQ(requests[1].uuids, std::vector<BluetoothUuid>{PeripheralManager::serviceUUID});
    EXPECT_EQ(requests[2].uuids, (std::vector<BluetoothUuid>{PeripheralManager::passwordCharUUID,
                                                             PeripheralManager::characteristicUUID,
                                                             PeripheralManager::deviceNameUUID}));
    EXPECT_EQ(requests[7].value, Bytes{0x00});
    EXPECT_TRUE(requests[5].enabled && requests[8].enabled);
    EXPECT_THAT(sim.diagnostics.lines(),
                ElementsAre(kOn, kAccepted, "Custom device name from peripheral: Device 1",
                            "Bonding read response bytes: [0, 127]", kPaired, kNotifying));
    EXPECT_TRUE(sim.bluetooth.isUnlocked(id));
}

TEST_F(Handshake, AStoredEmptyPasswordIsWrittenAsAnEmptyValueWithoutAsking) {
    SimDeviceSpec deviceSpec = makeDeviceSpec(1);
    deviceSpec.password = "";
    const BluetoothUuid id = addKnown(deviceSpec);
    start();
    EXPECT_THAT(sim.alerts.requests(), IsEmpty());
    EXPECT_EQ(
        sim.bluetooth.writesTo(id, PeripheralManager::passwordCharUUID, WriteType::WithResponse),
        std::vector<Bytes>{Bytes{}});
    EXPECT_TRUE(sim.bluetooth.isUnlocked(id));
}

TEST_F(Handshake, ARefusedStoredPasswordIsLoggedAndTheIncorrectPasswordAlertFollows) {
    const BluetoothUuid id = addDevice(1);
    storePassword(id, "old");
    sim.alerts.accept("pw-1");
    start();
    ASSERT_EQ(sim.alerts.requests().size(), 1u);
    EXPECT_EQ(sim.alerts.requests()[0].messageText, "Incorrect password for Device 1");
    EXPECT_THAT(linesStartingWith({"Password"}),
                ElementsAre("Password write failed: Authentication is insufficient.", kAccepted));
    EXPECT_EQ(storedPassword(id), "pw-1");
    EXPECT_TRUE(sim.bluetooth.isUnlocked(id));
}

TEST_F(Handshake, WithoutADataCharacteristicTheAcceptanceIsAllThatHappens) {
    SimDeviceSpec deviceSpec = makeDeviceSpec(1);
    auto& characteristics = deviceSpec.services[0].characteristics;
    characteristics.erase(characteristics.begin() + 1);
    const BluetoothUuid id = addKnown(deviceSpec);
    start();
    EXPECT_THAT(sim.diagnostics.lines(),
                ElementsAre(kOn, kAccepted, "Custom device name from peripheral: Device 1"));
    EXPECT_THAT(asked(id), Not(Contains("readValue data")));
    EXPECT_FALSE(manager->dataCharacteristic());
}

TEST_F(Handshake, WithoutAPasswordCharacteristicNothingIsWrittenOrAskedButTheNameIsRead) {
    SimDeviceSpec deviceSpec = makeDeviceSpec(1);
    auto& characteristics = deviceSpec.services[0].characteristics;
    characteristics.erase(characteristics.begin());
    const BluetoothUuid id = addDevice(deviceSpec);
    start();
    manager->connect(discovered(id));
    run();
    EXPECT_THAT(sim.alerts.requests(), IsEmpty());
    EXPECT_THAT(asked(id), ElementsAre("connect", "discoverServices", "discoverCharacteristics",
                                       "readValue name", "setNotifyValue name"));
    EXPECT_EQ(manager->dataCharacteristic()->uuid(), PeripheralManager::characteristicUUID);
    EXPECT_FALSE(manager->passwordCharacteristic());
    EXPECT_EQ(manager->deviceNames().at(id), "Device 1");
}

TEST_F(Handshake, DeviceNamesAreTakenOnlyWhenTheWholeValueIsUtf8) {
    addKnown(vontalDevice(deviceId(1), "One", "p", "AB"));
    const BluetoothUuid empty = addKnown(vontalDevice(deviceId(2), "Two", "p", ""));
    addKnown(vontalDevice(deviceId(3), "Three", "p", "\xFF"));
    const BluetoothUuid withError = addKnown(vontalDevice(deviceId(4), "Four", "p", "\xFF"));
    sim.bluetooth.failNext(withError, SimOperation::ReadValue, {{"Four failed."}, true},
                           PeripheralManager::deviceNameUUID);
    const BluetoothUuid noValue = addKnown(vontalDevice(deviceId(5), "Five", "p", "Five"));
    sim.bluetooth.failNext(noValue, SimOperation::ReadValue, {{"Five failed."}, false},
                           PeripheralManager::deviceNameUUID);
    start();
    EXPECT_EQ(manager->deviceNames(),
              (std::map<BluetoothUuid, std::string>{{deviceId(1), "AB"}, {empty, ""}}));
    EXPECT_THAT(linesStartingWith({"Custom device name", "Error reading DeviceName"}),
                UnorderedElementsAre("Custom device name from peripheral: AB",
                                     "Custom device name from peripheral: ",
                                     "Error reading DeviceName: Four failed.",
                                     "Error reading DeviceName: Five failed."));
}

TEST_F(Handshake, PairingAnswersArePrintedErrorsIncluded) {
    SimDeviceSpec empty = makeDeviceSpec(1);
    setValue(empty, PeripheralManager::characteristicUUID, {});
    addKnown(empty);

    SimDeviceSpec readFails = makeDeviceSpec(2);
    const BluetoothUuid second = addKnown(readFails);
    sim.bluetooth.failNext(second, SimOperation::ReadValue, {{"Read refused."}, false},
                           PeripheralManager::characteristicUUID);
    sim.bluetooth.failNext(second, SimOperation::WriteValue, {{"Write refused."}, false},
                           PeripheralManager::characteristicUUID);
    sim.bluetooth.failNext(second, SimOperation::SetNotifyValue, {{"Notify refused."}, false},
                           PeripheralManager::characteristicUUID);
    // Errors on the name's notifications are not reported.
    sim.bluetooth.failNext(second, SimOperation::SetNotifyValue, {{"Name notify refused."}, false},
                           PeripheralManager::deviceNameUUID);

    SimDeviceSpec readErrorWithValue = makeDeviceSpec(3);
    setValue(readErrorWithValue, PeripheralManager::characteristicUUID, {1, 255});
    const BluetoothUuid third = addKnown(readErrorWithValue);
    sim.bluetooth.failNext(third, SimOperation::ReadValue, {{"Ignored."}, true},
                           PeripheralManager::characteristicUUID);
    start();

    EXPECT_THAT(linesStartingWith({"Bonding", "Error", "Write", "Notification"}),
                UnorderedElementsAre("Bonding read response bytes: []",
                                     "Bonding read response bytes: [1, 255]",
                                     "Error reading characteristic for pairing: Read refused.",
                                     "Error writing for pairing: Write refused.",
                                     "Error updating notification state: Notify refused.", kPaired,
                                     kPaired, kNotifying, kNotifying));
}

TEST_F(Handshake, ValuesFromThePasswordCharacteristicAreIgnored) {
    const BluetoothUuid id = addKnownDevice(1);
    start();
    takeLines();
    const auto names = manager->deviceNames();
    sim.bluetooth.notify(id, PeripheralManager::passwordCharUUID, bytesOf("AB"), true);
    sim.bluetooth.notify(id, PeripheralManager::characteristicUUID, bytesOf("\x01"));
    run();
    // Notifications of the data characteristic print like a read.
    EXPECT_THAT(takeLines(), ElementsAre("Bonding read response bytes: [1]"));
    EXPECT_EQ(manager->deviceNames(), names);
}

TEST_F(Handshake, DiscoveryErrorsAreNotExaminedOnlyWhatTheDeviceListsCounts) {
    const BluetoothUuid listed = addKnownDevice(1);
    sim.bluetooth.failNext(listed, SimOperation::DiscoverServices, {{"Partial."}, true});
    sim.bluetooth.failNext(listed, SimOperation::DiscoverCharacteristics, {{"Partial."}, true});
    const BluetoothUuid nothing = addKnownDevice(2);
    sim.bluetooth.failNext(nothing, SimOperation::DiscoverServices, {{"Failed."}, false});
    SimDeviceSpec noService = makeDeviceSpec(3);
    noService.services[0].uuid = BluetoothUuid::fromString("180F");
    const BluetoothUuid other = addKnown(noService);
    start();

    EXPECT_TRUE(sim.bluetooth.isUnlocked(listed));
    EXPECT_THAT(asked(nothing), ElementsAre("connect", "discoverServices"));
    EXPECT_THAT(asked(other), ElementsAre("connect", "discoverServices"));
    EXPECT_EQ(connectedIds(), (std::vector<BluetoothUuid>{listed, nothing, other}));
    EXPECT_THAT(linesStartingWith({"Error"}), IsEmpty());
}

// The pairing step must use the characteristic of the device whose password was accepted. The
// shared slot is overwritten by every characteristic discovery, so when two handshakes overlap
// it holds the other device's.
TEST_F(Handshake, PairingRunsOnTheAcceptedDevicesOwnDataCharacteristicWhenHandshakesInterleave) {
    SimDeviceSpec first = makeDeviceSpec(1);
    setValue(first, PeripheralManager::characteristicUUID, {0x0A});
    SimDeviceSpec second = makeDeviceSpec(2);
    setValue(second, PeripheralManager::characteristicUUID, {0x0B});
    const BluetoothUuid a = addKnown(first);
    const BluetoothUuid b = addKnown(second);
    start();

    // The overlap really happened: B's characteristics (and its password write) came before
    // A's pairing step.
    const auto& requests = sim.bluetooth.requests();
    const auto indexOf = [&](const BluetoothUuid& id, Kind kind, const BluetoothUuid& uuid) {
        for (std::size_t i = 0; i < requests.size(); ++i)
            if (requests[i].device == id && requests[i].kind == kind &&
                requests[i].characteristic == uuid)
                return i;
        return requests.size();
    };
    EXPECT_LT(indexOf(b, Kind::WriteValue, PeripheralManager::passwordCharUUID),
              indexOf(a, Kind::ReadValue, PeripheralManager::characteristicUUID));
    const auto bServices = handle(b)->services();
    ASSERT_TRUE(bServices);
    const auto bCharacteristics = bServices->front()->characteristics();
    ASSERT_TRUE(bCharacteristics);
    EXPECT_EQ(manager->dataCharacteristic(), (*bCharacteristics)[1]);

    for (const BluetoothUuid& id : {a, b}) {
        const auto pairing = asked(id);
        EXPECT_EQ(std::count(pairing.begin(), pairing.end(), "readValue data"), 1);
        EXPECT_EQ(std::count(pairing.begin(), pairing.end(), "writeValue data [0] with"), 1);
        EXPECT_EQ(std::count(pairing.begin(), pairing.end(), "setNotifyValue data"), 1);
    }
    EXPECT_EQ(invalidRequests(), 0u);
    EXPECT_THAT(linesStartingWith({"Bonding", "Write", "Notification"}),
                UnorderedElementsAre("Bonding read response bytes: [10]",
                                     "Bonding read response bytes: [11]", kPaired, kPaired,
                                     kNotifying, kNotifying));
}

TEST_F(Handshake, ADeviceWithoutDataCharacteristicIsNeverPairedOnAnotherDevicesOne) {
    SimDeviceSpec bare = makeDeviceSpec(1);
    bare.services[0].characteristics.erase(bare.services[0].characteristics.begin() + 1);
    const BluetoothUuid a = addKnown(bare);
    const BluetoothUuid b = addKnownDevice(2);
    start();
    EXPECT_THAT(asked(a), Not(Contains(::testing::HasSubstr("data"))));
    EXPECT_EQ(invalidRequests(), 0u);
    EXPECT_TRUE(sim.bluetooth.isUnlocked(a) && sim.bluetooth.isUnlocked(b));
    EXPECT_THAT(linesStartingWith({"Password", "Bonding"}),
                ElementsAre(kAccepted, kAccepted, "Bonding read response bytes: []"));
}

} // namespace
} // namespace vontal
