#include "manager_fixture.h"

#include <gmock/gmock.h>
#include <map>

namespace vontal {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Forwarding : public TwoConnectedDevicesTest {
protected:
    // The writes the activation caused, as (device, bytes), in the order asked. The stack first
    // answers the writes before it, so that no name has to wait.
    std::vector<std::pair<BluetoothUuid, Bytes>> activate(std::optional<std::string> name) {
        run();
        const std::size_t before = recordSize();
        sim.workspace.activate(std::move(name));
        std::vector<std::pair<BluetoothUuid, Bytes>> writes;
        for (const SimRequest& request : requestsSince(before)) {
            EXPECT_EQ(request.kind, SimRequest::Kind::WriteValue);
            EXPECT_EQ(request.writeType, WriteType::WithoutResponse);
            EXPECT_EQ(request.characteristic, PeripheralManager::characteristicUUID);
            EXPECT_TRUE(request.delivered()) << request;
            writes.emplace_back(*request.device, request.value);
        }
        return writes;
    }
};

TEST_F(Forwarding, NamesGoAsExactUtf8BytesToEveryConnectedDeviceInListOrder) {
    const Bytes editor{0x45, 0x64, 0x69, 0x74, 0x6F, 0x72};
    const Bytes cafe{0x43, 0x61, 0x66, 0xC3, 0xA9};
    EXPECT_THAT(activate("Editor"), ElementsAre(std::pair{a, editor}, std::pair{b, editor}));
    EXPECT_THAT(activate("Caf\u00E9"), ElementsAre(std::pair{a, cafe}, std::pair{b, cafe}));
    EXPECT_THAT(activate(""), ElementsAre(std::pair{a, Bytes{}}, std::pair{b, Bytes{}}));
    // The same application again: sent again.
    EXPECT_EQ(activate("Editor").size(), 2u);
    // Where the stack does not know the link's size, long names go whole.
    const std::string longName(600, 'x');
    EXPECT_THAT(activate(longName),
                ElementsAre(std::pair{a, bytesOf(longName)}, std::pair{b, bytesOf(longName)}));
}

TEST_F(Forwarding, NotificationsWithoutAUsableNameAreIgnored) {
    Notification noUserInfo;
    Notification noApplication{kDidActivateApplicationNotification, UserInfo{}};
    Notification notAnApplication{kDidActivateApplicationNotification,
                                  UserInfo{{kWorkspaceApplicationKey, std::string("Editor")}}};
    Notification nullApplication{
        kDidActivateApplicationNotification,
        UserInfo{{kWorkspaceApplicationKey, std::shared_ptr<RunningApplication>()}}};
    const std::size_t before = recordSize();
    for (const Notification& n : {noUserInfo, noApplication, notAnApplication, nullApplication,
                                  Notification::activation(std::nullopt)})
        sim.workspace.post(n);
    // Text that is not UTF-8 cannot be encoded without loss.
    sim.workspace.activate(std::string("\xFF\xFE"));
    EXPECT_THAT(requestsSince(before), IsEmpty());
    EXPECT_THAT(sim.diagnostics.lines(), ::testing::Not(::testing::Contains("Editor")));
}

TEST_F(Forwarding, NothingIsWrittenWithoutConnectedDevices) {
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    run();
    EXPECT_THAT(activate("Editor"), IsEmpty());
}

TEST_F(Forwarding, DevicesNotReadyAreSkippedWithoutAnyLine) {
    // C: listed but its link never comes up.
    SimDeviceSpec far = makeDeviceSpec(3);
    far.inRange = false;
    const BluetoothUuid c = addDevice(far);
    // D: service discovery failed, so it has no services.
    const BluetoothUuid d = addKnownDevice(4);
    sim.bluetooth.failNext(d, SimOperation::DiscoverServices, {{"Unlikely error."}, false});
    // E: its custom service has no data characteristic.
    SimDeviceSpec noData = makeDeviceSpec(5);
    noData.services[0].characteristics.erase(noData.services[0].characteristics.begin() + 1);
    const BluetoothUuid e = addDevice(noData);
    storePassword(e, "pw-5");
    // F: characteristic discovery failed.
    const BluetoothUuid f = addKnownDevice(6);
    sim.bluetooth.failNext(f, SimOperation::DiscoverCharacteristics, {{"Unlikely error."}, false});
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    manager->connect(handle(c));
    run();
    ASSERT_EQ(connectedIds(), (std::vector<BluetoothUuid>{a, b, d, e, f, c}));
    ASSERT_EQ(handle(c)->state(), PeripheralState::Connecting);
    takeLines();

    const Bytes editor = bytesOf("Editor");
    EXPECT_THAT(activate("Editor"), ElementsAre(std::pair{a, editor}, std::pair{b, editor}));
    EXPECT_THAT(takeLines(), IsEmpty());
}

TEST_F(Forwarding, OneWritePerListedCustomServiceToItsFirstDataCharacteristic) {
    SimDeviceSpec twice = makeDeviceSpec(3);
    SimServiceSpec second{PeripheralManager::serviceUUID,
                          {{PeripheralManager::characteristicUUID, {}}}};
    twice.services[0].characteristics.insert(twice.services[0].characteristics.begin() + 2,
                                             {PeripheralManager::characteristicUUID, {}});
    twice.services.push_back(second);
    const BluetoothUuid c = addDevice(twice);
    storePassword(c, "pw-3");
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    // The handshake looks only at the first custom service; discover the second one's
    // characteristics as another client of the stack would.
    const PeripheralRef peripheral = handle(c);
    const auto services = peripheral->services();
    ASSERT_TRUE(services && services->size() == 2u);
    peripheral->discoverCharacteristics({PeripheralManager::characteristicUUID}, services->back());
    run();

    const std::size_t before = recordSize();
    sim.workspace.activate("Editor");
    std::vector<std::pair<int, int>> targets;
    for (const SimRequest& request : requestsSince(before))
        if (request.device == c)
            targets.emplace_back(request.serviceIndex, request.characteristicIndex);
    EXPECT_THAT(targets, ElementsAre(std::pair{0, 1}, std::pair{1, 0}));
}

TEST_F(Forwarding, AnUnlockedDeviceHearsTheFrontApplicationOnceThenEveryActivation) {
    activate("Editor");
    const BluetoothUuid c = addKnownDevice(3);
    run();
    ASSERT_EQ(connectedIds().back(), c);
    // Right after its password was accepted, it alone heard the application in front.
    EXPECT_THAT(dataWrites(c), ElementsAre(bytesOf("Editor")));
    EXPECT_THAT(dataWrites(a), ElementsAre(bytesOf("Editor")));
    EXPECT_THAT(activate("Mail"),
                ElementsAre(std::pair{a, bytesOf("Mail")}, std::pair{b, bytesOf("Mail")},
                            std::pair{c, bytesOf("Mail")}));

    // With nothing in front (no window has the focus), a device unlocked then hears nothing.
    sim.workspace.setFrontmost(std::nullopt);
    const BluetoothUuid d = addKnownDevice(4);
    run();
    ASSERT_TRUE(manager->isUnlocked(d));
    EXPECT_THAT(dataWrites(d), IsEmpty());
}

TEST_F(Forwarding, NamesNeverReachADeviceThatHasNotAcceptedItsPassword) {
    // C refuses the stored password; D is new and waits for the user's first answer. Both are
    // connected while their alerts are open.
    SimDeviceSpec stubborn = makeDeviceSpec(3);
    stubborn.password = "something else";
    const BluetoothUuid c = addDevice(stubborn);
    storePassword(c, "pw-3");
    const BluetoothUuid d = addDevice(4);
    std::vector<std::pair<BluetoothUuid, Bytes>> duringAlert, duringFirstAlert;
    sim.alerts.cancel([&] {
        duringAlert = activate("Editor");
        sim.bluetooth.setAdvertising(c, false);
    });
    sim.alerts.accept("pw-4", [&] { duringFirstAlert = activate("Secret Project"); });
    sim.bluetooth.setRadioState(CentralState::PoweredOn);
    run();
    ASSERT_EQ(sim.alerts.requests().size(), 1u);
    EXPECT_EQ(sim.alerts.requests()[0].messageText, "Incorrect password for Device 3");
    const Bytes editor = bytesOf("Editor");
    EXPECT_THAT(duringAlert, ElementsAre(std::pair{a, editor}, std::pair{b, editor}));

    manager->connect(discovered(d));
    run();
    ASSERT_EQ(sim.alerts.requests().size(), 2u);
    const Bytes secret = bytesOf("Secret Project");
    EXPECT_THAT(duringFirstAlert, ElementsAre(std::pair{a, secret}, std::pair{b, secret}));
    // Accepted now: D hears the application in front, and every data write it got came after.
    EXPECT_THAT(dataWrites(d), ElementsAre(secret));
    for (const SimRequest& write : sim.bluetooth.requestsOf(SimRequest::Kind::WriteValue)) {
        if (write.writeType == WriteType::WithoutResponse && write.value != Bytes{0x00}) {
            EXPECT_TRUE(write.unlocked) << write;
        }
    }
}

TEST_F(Forwarding, ANameLongerThanTheLinkCarriesIsCutToWholeCharactersAndSaidOncePerLink) {
    // MTU 23: 20 bytes per write without response. The name's 20th byte is inside a
    // three-byte character, which is left out whole.
    sim.bluetooth.setMtu(a, 23);
    const std::string name = "Terminal \u2014 projec\u6771\u4eac";
    ASSERT_EQ(name.size(), 25u);
    const Bytes cut = bytesOf("Terminal \u2014 projec");
    ASSERT_EQ(cut.size(), 19u);
    takeLines();
    EXPECT_THAT(activate(name), ElementsAre(std::pair{a, cut}, std::pair{b, bytesOf(name)}));
    activate(name);
    activate("Mail");
    EXPECT_THAT(takeLines(), ElementsAre("Names to Device 1 are cut to 20 bytes "
                                         "(link MTU 23)"));
    EXPECT_THAT(dataWrites(a).back(), bytesOf("Mail"));

    // A new link says it again.
    sim.bluetooth.loseLink(a);
    run();
    ASSERT_TRUE(manager->isUnlocked(a));
    activate(name);
    EXPECT_THAT(takeLines(), ::testing::Contains(::testing::StartsWith("Names to Device 1")));
}

TEST_F(Forwarding, TheLastNameSentIsTheBytesWrittenAndIsForgottenWithTheLastUnlockedDevice) {
    EXPECT_TRUE(manager->anyUnlocked());
    EXPECT_EQ(manager->lastSentName(), "");
    sim.bluetooth.setMtu(a, 23);
    sim.bluetooth.setMtu(b, 23);
    const std::string name = "Terminal \u2014 projec\u6771\u4eac";
    int changes = willChange;
    activate(name);
    EXPECT_EQ(manager->lastSentName(), "Terminal \u2014 projec");
    EXPECT_GT(willChange, changes) << "the window hears of it";
    activate(std::string("\xFF\xFE"));
    EXPECT_EQ(manager->lastSentName(), "Terminal \u2014 projec");
    changes = willChange;
    activate("Terminal \u2014 projec");
    EXPECT_EQ(willChange, changes) << "nothing changed";

    manager->disconnect(handle(a));
    run();
    activate("Mail");
    EXPECT_EQ(manager->lastSentName(), "Mail");
    manager->disconnect(handle(b));
    run();
    EXPECT_FALSE(manager->anyUnlocked());
    EXPECT_EQ(manager->lastSentName(), "");
}

TEST_F(Forwarding, AWriteTheStackCouldNotSendIsLoggedOncePerDeviceAndError) {
    sim.bluetooth.failNext(a, SimOperation::WriteWithoutResponse, {{"Failed to initiate write"}},
                           PeripheralManager::characteristicUUID, kSimFaultForever);
    takeLines();
    for (int i = 0; i < 3; ++i)
        activate("Editor");
    sim.bluetooth.clearFaults(a);
    sim.bluetooth.failNext(a, SimOperation::WriteWithoutResponse, {{"Not connected"}},
                           PeripheralManager::characteristicUUID, 2);
    activate("Mail");
    activate("Mail");
    run();
    EXPECT_THAT(takeLines(), ElementsAre("Writing to Device 1 failed: Failed to initiate write",
                                         "Writing to Device 1 failed: Not connected"));
}

// Four devices whose stack takes 20 to 400 ms to answer each write, and a user switching every
// 16 ms for 16 s, across a keep-alive tick: the stack is never handed more than one write per
// device, each answer lets the newest name out at once, and every device ends on the name in
// front.
TEST_F(Forwarding, ABurstOfSwitchesIsPacedByTheStacksAnswersAndEndsOnTheNameInFront) {
    const BluetoothUuid c = addKnownDevice(3);
    const BluetoothUuid d = addKnownDevice(4);
    run();
    const std::vector<std::pair<BluetoothUuid, int>> delays{{a, 20}, {b, 50}, {c, 130}, {d, 400}};
    for (const auto& [id, delay] : delays) {
        ASSERT_TRUE(manager->isUnlocked(id));
        sim.bluetooth.setWriteWithoutResponseDelay(id, std::chrono::milliseconds(delay));
    }
    constexpr int kSwitches = 1000;
    constexpr int kSpacing = 16;
    std::map<BluetoothUuid, std::size_t> dataWritesBefore;
    for (const auto& [id, delay] : delays)
        dataWritesBefore[id] = dataWrites(id).size();
    const std::size_t before = recordSize();
    std::string name;
    for (int i = 0; i < kSwitches; ++i) {
        name = "App " + std::to_string(i);
        sim.workspace.activate(name);
        // What the window shows is what the stack was handed last, not the newest switch.
        const auto writes = requestsSince(before);
        if (i % 97 == 0 && !writes.empty()) {
            const Bytes& last = writes.back().value;
            EXPECT_EQ(manager->lastSentName(), std::string(last.begin(), last.end()));
        }
        // The slowest device took a name at 8 s and holds it for 400 ms: newer ones wait, only
        // the newest is kept.
        if (i == 501 || i == 502) {
            EXPECT_EQ(manager->waitingName(d), name);
        }
        advance(std::chrono::milliseconds(kSpacing));
    }
    advance(std::chrono::seconds(1));
    EXPECT_EQ(manager->lastSentName(), name);

    std::map<BluetoothUuid, int> keepAlives;
    for (const SimRequest& write : requestsSince(before)) {
        ASSERT_EQ(write.kind, SimRequest::Kind::WriteValue);
        EXPECT_EQ(write.inFlight, 1) << "a second write handed over while one waited: " << write;
        keepAlives[*write.device] += write.value == Bytes{0x00};
    }
    constexpr int kBurst = kSwitches * kSpacing;
    for (const auto& [id, delay] : delays) {
        SCOPED_TRACE(id.toString());
        EXPECT_EQ(dataWrites(id).back(), bytesOf(name));
        EXPECT_FALSE(manager->waitingName(id));
        EXPECT_EQ(sim.bluetooth.writeLoad(id).mostInFlight, 1);
        // One write per answer: no more (nothing queues) and no fewer (an answer lets the
        // waiting name out at once, no timer in between).
        const auto sent = static_cast<int>(dataWrites(id).size() - dataWritesBefore[id]);
        EXPECT_LE(sent, kBurst / delay + 2);
        EXPECT_GE(sent, kBurst / delay - 2);
        // The tick at 15 s found every device busy: no keep-alive queued behind a name.
        EXPECT_EQ(keepAlives[id], 0);
    }

    // Once the burst is over the keep-alive goes out again.
    const std::size_t quiet = recordSize();
    advance(std::chrono::seconds(15));
    EXPECT_EQ(requestsSince(quiet).size(), delays.size());
    for (const SimRequest& write : requestsSince(quiet))
        EXPECT_EQ(write.value, Bytes{0x00});
}

TEST_F(Forwarding, ANameWaitingForALinkThatEndsIsForgottenWithIt) {
    sim.bluetooth.setWriteWithoutResponseDelay(a, std::chrono::milliseconds(100));
    sim.workspace.activate("Editor");
    sim.workspace.activate("Secret Project");
    EXPECT_EQ(manager->waitingName(a), "Secret Project");
    // B answers on the next turn: its name goes out then.
    EXPECT_EQ(manager->waitingName(b), "Secret Project");
    run();
    EXPECT_FALSE(manager->waitingName(b));
    EXPECT_EQ(dataWrites(b).back(), bytesOf("Secret Project"));
    EXPECT_EQ(manager->waitingName(a), "Secret Project");

    // Nothing is in front by the time the link is back, so any name it hears is a stale one.
    sim.workspace.setFrontmost(std::nullopt);
    const std::size_t before = recordSize();
    sim.bluetooth.loseLink(a);
    run();
    EXPECT_FALSE(manager->waitingName(a));
    advance(std::chrono::seconds(2));
    ASSERT_TRUE(manager->isUnlocked(a)) << "connected again";
    for (const SimRequest& write : requestsSince(before)) {
        if (write.device == a) {
            EXPECT_NE(write.value, bytesOf("Secret Project")) << write;
        }
    }
    // The new link is not held up by the old one's write (A is listed after B now).
    EXPECT_THAT(activate("Mail"),
                ElementsAre(std::pair{b, bytesOf("Mail")}, std::pair{a, bytesOf("Mail")}));
}

} // namespace
} // namespace vontal
