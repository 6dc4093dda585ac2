#include "manager_fixture.h"

#include <gmock/gmock.h>

namespace vontal {
namespace {

using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = SimRequest::Kind;

class PasswordPrompt : public ManagerTest {
protected:
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const AlertRequest& alert : sim.alerts.requests())
            texts.push_back(alert.messageText);
        return texts;
    }
    std::vector<Bytes> passwordWrites(const BluetoothUuid& id) const {
        return sim.bluetooth.writesTo(id, PeripheralManager::passwordCharUUID,
                                      WriteType::WithResponse);
    }
    // Starts the manager and connects the device from its "Discovered" row.
    void connectFromList(const BluetoothUuid& id) {
        if (!manager)
            start();
        manager->connect(discovered(id));
        run();
    }
};

TEST_F(PasswordPrompt, AlertsNameThePlatformsNameAndHaveTheirButtonsAndField) {
    const BluetoothUuid pad = addDevice(vontalDevice(deviceId(1), "Vontal Pad", "1234", "Desk"));
    sim.alerts.accept("wrong");
    sim.alerts.accept("1234");
    connectFromList(pad);
    ASSERT_EQ(sim.alerts.requests().size(), 2u);
    const AlertRequest& first = sim.alerts.requests()[0];
    EXPECT_EQ(first.messageText, "Enter password for Vontal Pad");
    EXPECT_THAT(first.buttons, ElementsAre("OK", "Cancel"));
    EXPECT_EQ(first.fieldWidth, 200);
    EXPECT_EQ(first.fieldHeight, 24);
    // The parts a presenter translates: the wording with the name's place, and the name.
    EXPECT_EQ(first.messageFormat, "Enter password for %1");
    EXPECT_EQ(first.subject, "Vontal Pad");
    const AlertRequest& second = sim.alerts.requests()[1];
    // The custom name is known by now; the alert still uses the platform's name.
    ASSERT_EQ(manager->deviceNames().at(pad), "Desk");
    EXPECT_EQ(second.messageText, "Incorrect password for Vontal Pad");
    EXPECT_THAT(second.buttons, ElementsAre("Retry", "Cancel"));
    EXPECT_EQ(second.fieldWidth, 200);
    EXPECT_EQ(second.fieldHeight, 24);
    EXPECT_EQ(second.messageFormat, "Incorrect password for %1");
    EXPECT_EQ(second.subject, "Vontal Pad");
}

TEST_F(PasswordPrompt, ADeviceWithoutANameIsCalledDevice) {
    const BluetoothUuid id = addDevice(vontalDevice(deviceId(1), std::nullopt, "1234"));
    sim.alerts.accept("wrong");
    sim.alerts.accept("1234");
    connectFromList(id);
    EXPECT_THAT(messages(),
                ElementsAre("Enter password for device", "Incorrect password for device"));
}

TEST_F(PasswordPrompt, OkWithAnEmptyFieldIsACancelButAStoredEmptyPasswordIsReusedSilently) {
    SimDeviceSpec deviceSpec = makeDeviceSpec(1);
    deviceSpec.password = "";
    const BluetoothUuid id = addDevice(deviceSpec);
    sim.alerts.accept("");
    connectFromList(id);
    EXPECT_FALSE(storedPassword(id)) << "Enter on an empty field stores nothing";
    EXPECT_THAT(passwordWrites(id), IsEmpty());
    EXPECT_EQ(count(Kind::CancelConnection, id), 1u);

    // An empty password stored earlier is still a password: written without asking.
    storePassword(id, "");
    manager->connect(discovered(id));
    run();
    EXPECT_THAT(passwordWrites(id), ElementsAre(Bytes{}));
    EXPECT_TRUE(sim.bluetooth.isUnlocked(id));
    sim.bluetooth.loseLink(id);
    run();
    EXPECT_TRUE(sim.bluetooth.isUnlocked(id));
    EXPECT_THAT(passwordWrites(id), ElementsAre(Bytes{}, Bytes{}));
    EXPECT_EQ(sim.alerts.requests().size(), 1u);
}

TEST_F(PasswordPrompt, CancelInTheFirstAlertStoresNothingDropsTheLinkAndAsksAgainNextTime) {
    const BluetoothUuid id = addDevice(1);
    sim.alerts.cancel();
    connectFromList(id);
    EXPECT_FALSE(storedPassword(id));
    EXPECT_THAT(passwordWrites(id), IsEmpty());
    EXPECT_EQ(count(Kind::CancelConnection, id), 1u);
    // Not known: the restarted scan lists it instead of connecting it.
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id});
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
    EXPECT_EQ(count(Kind::Connect, id), 1u);

    sim.alerts.accept("pw-1");
    connectFromList(id);
    EXPECT_THAT(messages(),
                ElementsAre("Enter password for Device 1", "Enter password for Device 1"));
    EXPECT_TRUE(sim.bluetooth.isUnlocked(id));
}

TEST_F(PasswordPrompt, CancelOnAWrongPasswordStopsTheDeviceUntilTheUserPressesItsConnect) {
    using State = PeripheralManager::DeviceState;
    const BluetoothUuid id = addDevice(1);
    sim.workspace.setFrontmost("Editor");
    std::vector<State> statesInAlerts;
    const auto noteState = [&] {
        statesInAlerts.push_back(manager->deviceState(handle(id)));
    };
    std::optional<std::string> storedWhileRefused;
    sim.alerts.accept("wrong", noteState);
    sim.alerts.cancel([&] {
        noteState();
        storedWhileRefused = storedPassword(id);
    });
    start();
    manager->connect(discovered(id));
    EXPECT_EQ(manager->deviceState(handle(id)), State::Connecting);
    run();

    EXPECT_EQ(storedWhileRefused, "wrong") << "stored before the device answered";
    EXPECT_EQ(count(Kind::CancelConnection, id), 1u);
    // The device keeps advertising and stays known, yet no alert comes back on its own: it
    // waits under "Discovered" for the user.
    advance(std::chrono::seconds(60));
    EXPECT_THAT(messages(),
                ElementsAre("Enter password for Device 1", "Incorrect password for Device 1"));
    EXPECT_EQ(count(Kind::Connect, id), 1u);
    EXPECT_EQ(storedPassword(id), "wrong");
    EXPECT_TRUE(manager->isHeldBack(id));
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id});
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
    EXPECT_THAT(manager->pendingPeripherals(), IsEmpty());
    EXPECT_FALSE(manager->anyUnlocked());
    EXPECT_EQ(manager->lastSentName(), "");
    EXPECT_THAT(dataWrites(id), ::testing::Each(Bytes{0x00})) << "keep-alive only";

    // "Connect" goes out at once; the device still refuses the stored password, so the
    // incorrect-password alert comes, and the right password unlocks it.
    sim.alerts.accept("pw-1", noteState);
    manager->connect(discovered(id));
    EXPECT_EQ(count(Kind::Connect, id), 2u);
    EXPECT_FALSE(manager->isHeldBack(id));
    run();
    EXPECT_THAT(messages(),
                ElementsAre("Enter password for Device 1", "Incorrect password for Device 1",
                            "Incorrect password for Device 1"));
    EXPECT_THAT(statesInAlerts, ElementsAre(State::WaitingForPassword, State::PasswordRefused,
                                            State::PasswordRefused));
    EXPECT_THAT(passwordWrites(id),
                ElementsAre(bytesOf("wrong"), bytesOf("wrong"), bytesOf("pw-1")));
    EXPECT_EQ(storedPassword(id), "pw-1");
    EXPECT_EQ(manager->deviceState(handle(id)), State::Unlocked);
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{id});
    EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
    EXPECT_TRUE(manager->anyUnlocked());
    EXPECT_EQ(manager->lastSentName(), "Editor");
    EXPECT_EQ(dataWrites(id).back(), bytesOf("Editor"));

    // Automatic connection is back: a lost link is mended without the user.
    sim.bluetooth.loseLink(id);
    run();
    EXPECT_EQ(count(Kind::Connect, id), 3u);
    EXPECT_EQ(manager->deviceState(handle(id)), State::Unlocked);
}

TEST_F(PasswordPrompt, CancelAfterTheLinkDroppedStillListsTheDeviceAndDropsItsReconnection) {
    const BluetoothUuid id = addDevice(1);
    storePassword(id, "wrong");
    sim.alerts.cancel([&] {
        // The link drops while the alert is open, and the scan connects the device again.
        sim.bluetooth.setConnectDelay(id, std::chrono::seconds(5));
        sim.bluetooth.loseLink(id);
        advance(milliseconds(500));
        EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id}) << "waiting out its pause";
        advance(std::chrono::seconds(1));
        EXPECT_EQ(pendingIds(), std::vector<BluetoothUuid>{id}) << "connecting after its pause";
        EXPECT_THAT(manager->discoveredPeripherals(), IsEmpty());
    });
    start();
    advance(std::chrono::seconds(120));
    EXPECT_EQ(messages(), std::vector<std::string>{"Incorrect password for Device 1"});
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{id});
    EXPECT_THAT(manager->connectedPeripherals(), IsEmpty());
    EXPECT_THAT(manager->pendingPeripherals(), IsEmpty());
    EXPECT_FALSE(sim.bluetooth.isUnlocked(id));
    EXPECT_EQ(storedPassword(id), "wrong");
}

TEST_F(PasswordPrompt, RetryReplacesTheStoredPasswordBeforeTheDeviceAnswers) {
    const BluetoothUuid id = addDevice(1);
    storePassword(id, "old");
    sim.bluetooth.setAnswerDelay(id, milliseconds(100));
    std::optional<std::string> storedAfterClose;
    std::size_t writesAfterClose = 0;
    bool acceptedAtClose = true;
    const auto accepted = [&] {
        const auto& lines = sim.diagnostics.lines();
        return std::find(lines.begin(), lines.end(), kAccepted) != lines.end();
    };
    sim.alerts.accept("pw-1", [&] {
        // Runs on the main queue right after the alert's task, before any device answer.
        sim.clock.async([&] {
            storedAfterClose = storedPassword(id);
            writesAfterClose = passwordWrites(id).size();
            acceptedAtClose = accepted();
        });
    });
    start();
    advance(std::chrono::seconds(2));
    EXPECT_EQ(storedAfterClose, "pw-1");
    EXPECT_EQ(writesAfterClose, 2u);
    EXPECT_FALSE(acceptedAtClose);
    EXPECT_TRUE(accepted());
}

TEST_F(PasswordPrompt, TwoDevicesAtOnceEachAnswerAppliesOnlyToItsOwnDevice) {
    const BluetoothUuid one = addDevice(1);
    const BluetoothUuid two = addDevice(2);
    sim.alerts.accept("pw-1");
    sim.alerts.cancel();
    start();
    manager->connect(discovered(one));
    manager->connect(discovered(two));
    run();

    EXPECT_THAT(messages(),
                ElementsAre("Enter password for Device 1", "Enter password for Device 2"));
    // When the first alert ran, the shared password slot already held device 2's.
    EXPECT_EQ(storedPassword(one), "pw-1");
    EXPECT_FALSE(storedPassword(two));
    EXPECT_THAT(passwordWrites(one), ElementsAre(bytesOf("pw-1")));
    EXPECT_THAT(passwordWrites(two), IsEmpty());
    EXPECT_EQ(count(Kind::CancelConnection, one), 0u);
    EXPECT_EQ(count(Kind::CancelConnection, two), 1u);
    EXPECT_EQ(connectedIds(), std::vector<BluetoothUuid>{one});
    EXPECT_EQ(discoveredIds(), std::vector<BluetoothUuid>{two});
    EXPECT_TRUE(sim.bluetooth.isUnlocked(one));
    for (const SimRequest& request : sim.bluetooth.requests())
        EXPECT_TRUE(request.validHandle) << request;
}

// The alert runs a nested loop; the application may tear the manager down before it closes.
TEST_F(PasswordPrompt, AManagerDestroyedWhileItsAlertIsOpenIsNotTouchedAfterwards) {
    const BluetoothUuid first = addDevice(1);
    const BluetoothUuid second = addDevice(2);
    sim.alerts.accept("pw-1", [&] { manager.reset(); });
    connectFromList(first);
    EXPECT_FALSE(storedPassword(first));
    EXPECT_THAT(passwordWrites(first), IsEmpty());

    make();
    run();
    sim.alerts.cancel([&] { manager.reset(); });
    connectFromList(second);
    EXPECT_EQ(count(Kind::CancelConnection, second), 0u);
}

// A refused password's alert is open when the link drops and comes back: the device is not
// written the refused password again, no second alert opens, and the one answer unlocks the
// connection there is now.
TEST_F(PasswordPrompt, OneAlertPerDeviceAndItsAnswerGoesToTheCurrentConnection) {
    const BluetoothUuid id = addDevice(vontalDevice(deviceId(1), "Vontal Pad", "pw-1", "Desk"));
    storePassword(id, "wrong");
    bool pendingWhileOpen = false;
    sim.alerts.accept("pw-1", [&] {
        sim.bluetooth.loseLink(id);
        advance(std::chrono::seconds(10));
        ASSERT_EQ(connectedIds(), std::vector<BluetoothUuid>{id}) << "connected again";
        EXPECT_EQ(sim.alerts.openNow(), 1);
        pendingWhileOpen = manager->hasPasswordAlert(id);
    });
    start();
    EXPECT_TRUE(pendingWhileOpen);
    EXPECT_EQ(messages(), std::vector<std::string>{"Incorrect password for Vontal Pad"});
    EXPECT_THAT(passwordWrites(id), ElementsAre(bytesOf("wrong"), bytesOf("pw-1")));
    EXPECT_TRUE(sim.bluetooth.isUnlocked(id));
    EXPECT_EQ(manager->deviceState(handle(id)), PeripheralManager::DeviceState::Unlocked);
    EXPECT_FALSE(manager->hasPasswordAlert(id));
    EXPECT_THAT(sim.alerts.unexpected(), IsEmpty());
    for (const SimRequest& request : sim.bluetooth.requests())
        EXPECT_TRUE(request.validHandle) << request;
    // The custom name is the row's label: the alert says which row asks.
    const AlertRequest& alert = sim.alerts.requests().front();
    EXPECT_EQ(alert.detailFormat, "Shown in vontal as %1");
    EXPECT_EQ(alert.detailSubject, "Desk");
}

// Several devices ask at once: one alert at a time, in the order asked; a device forgotten
// meanwhile needs no answer, and the answer to an alert withdrawn while open changes nothing.
TEST_F(PasswordPrompt, AlertsWaitTheirTurnAndCloseWhenTheirDeviceNoLongerNeedsThem) {
    const BluetoothUuid one = addDevice(1);
    const BluetoothUuid two = addDevice(2);
    const BluetoothUuid three = addDevice(3);
    const BluetoothUuid four = addDevice(4);
    storePassword(four, "wrong");
    std::vector<int> openAtOnce;
    sim.alerts.setWhileOpen(
        [&](const AlertRequest&) { openAtOnce.push_back(sim.alerts.openNow()); });
    sim.alerts.accept("pw-4", [&] {
        for (const BluetoothUuid& id : {one, two, three})
            manager->connect(discovered(id));
        run();
        for (const BluetoothUuid& id : {one, two, three})
            EXPECT_TRUE(manager->hasPasswordAlert(id));
    });
    sim.alerts.accept("pw-1", [&] {
        manager->disconnect(handle(two));
        run();
    });
    sim.alerts.accept("pw-3", [&] {
        manager->disconnect(handle(three));
        run();
    });
    start();

    EXPECT_THAT(messages(),
                ElementsAre("Incorrect password for Device 4", "Enter password for Device 1",
                            "Enter password for Device 3"));
    EXPECT_THAT(openAtOnce, ::testing::Each(1));
    EXPECT_TRUE(sim.bluetooth.isUnlocked(four));
    EXPECT_TRUE(sim.bluetooth.isUnlocked(one));
    EXPECT_EQ(storedPassword(one), "pw-1");
    EXPECT_FALSE(storedPassword(two));
    EXPECT_FALSE(storedPassword(three)) << "the withdrawn alert's answer is ignored";
    EXPECT_THAT(passwordWrites(three), IsEmpty());
    EXPECT_EQ(sim.alerts.dismissals(), 1);
    for (const BluetoothUuid& id : {one, two, three, four})
        EXPECT_FALSE(manager->hasPasswordAlert(id));
    EXPECT_THAT(sim.alerts.unexpected(), IsEmpty());
}

// Names come from the air: none is kept, shown or logged longer than an attribute value.
TEST_F(PasswordPrompt, LongNamesAreCutToWholeCharactersOfAnAttributeValue) {
    const std::string longName = "x" + [] {
        std::string text;
        for (int i = 0; i < 400; ++i)
            text += "\u00E9"; // two bytes each: the cut falls inside one
        return text;
    }();
    const BluetoothUuid id = addDevice(vontalDevice(deviceId(1), longName, "pw-1", longName));
    sim.alerts.accept("pw-1");
    connectFromList(id);
    const std::string& stored = manager->deviceNames().at(id);
    EXPECT_EQ(stored.size(), 511u);
    EXPECT_EQ(stored, longName.substr(0, 511));
    const AlertRequest& alert = sim.alerts.requests().front();
    EXPECT_EQ(alert.subject, longName.substr(0, 511));
    EXPECT_EQ(alert.messageText, "Enter password for " + longName.substr(0, 511));
    for (const std::string& line : sim.diagnostics.lines())
        EXPECT_LE(line.size(), 600u) << line.substr(0, 80);
}

} // namespace
} // namespace vontal
