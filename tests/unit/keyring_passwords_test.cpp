// Device passwords in the desktop's keyring, behind the user defaults: what moves when, what
// survives an interrupted move, what a missing or silent keyring leaves, and how the manager waits
// for a password that is still on its way.

#include "manager_fixture.h"
#include "platform/vault_backed_defaults.h"
#include "tests/support/sim/memory_password_vault.h"

#include <gmock/gmock.h>

namespace vontal {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const std::string kDesk = "00000000-0000-0000-0000-C0FFEE000001";
const std::string kLamp = "00000000-0000-0000-0000-C0FFEE000002";

class KeyringPasswords : public ManagerTest {
protected:
    MemoryPasswordVault vault{sim.clock};
    std::unique_ptr<VaultBackedDefaults> defaults;
    std::unique_ptr<Platform> platform;
    int arrivals = 0;

    // The store the manager gets: the keyring over sim.defaults, which plays the settings file.
    VaultBackedDefaults& makeDefaults() {
        manager.reset();
        platform.reset();
        arrivalCounter_ = {};
        defaults =
            std::make_unique<VaultBackedDefaults>(sim.defaults, vault, sim.clock, sim.diagnostics);
        defaults->setDeviceNameSource(
            [](const std::string& key) { return key == kDesk ? "Desk" : std::string(); });
        arrivalCounter_ = defaults->observeArrivals([this] { ++arrivals; });
        return *defaults;
    }
    PeripheralManager& startManager() {
        if (!defaults)
            makeDefaults();
        platform =
            std::make_unique<Platform>(Platform{sim.bluetooth, sim.clock, sim.clock, sim.workspace,
                                                *defaults, sim.alerts, sim.diagnostics});
        manager = std::make_unique<PeripheralManager>(*platform, settings);
        run();
        return *manager;
    }
    std::vector<Bytes> passwordWrites(const BluetoothUuid& id) const {
        return sim.bluetooth.writesTo(id, PeripheralManager::passwordCharUUID,
                                      WriteType::WithResponse);
    }
    std::optional<std::string> inFile(const std::string& key) const {
        return sim.defaults.stringForKey(key);
    }
    std::optional<std::string> inKeyring(const std::string& key) const {
        const auto item = vault.items.find(key);
        if (item == vault.items.end())
            return std::nullopt;
        return item->second.password;
    }
    // No line ever carries a password.
    void expectNoPasswordLogged(const std::vector<std::string>& passwords) const {
        for (const std::string& line : sim.diagnostics.lines())
            for (const std::string& password : passwords)
                EXPECT_THAT(line, Not(HasSubstr(password))) << line;
    }

private:
    Subscription arrivalCounter_;
};

TEST_F(KeyringPasswords, FilePasswordsMoveOneByOneAndAnInterruptedMoveLosesNothing) {
    sim.defaults.setObject("desk-secret", kDesk);
    sim.defaults.setObject("lamp-secret", kLamp);
    sim.defaults.setDictionary({{kDesk, "Desk"}}, PeripheralManager::deviceNamesDefaultsKey);
    vault.holdAnswers(true);
    makeDefaults();
    run();
    // The keyring has not answered: the file serves, and nothing has left it.
    EXPECT_EQ(defaults->stringForKey(kDesk), "desk-secret");
    ASSERT_TRUE(vault.answerOne()); // the read
    run();
    EXPECT_EQ(vault.stores, 1) << "one write at a time";
    EXPECT_EQ(inFile(kDesk), "desk-secret") << "not confirmed yet";
    ASSERT_TRUE(vault.answerOne()); // the first write
    run();
    EXPECT_EQ(inKeyring(kDesk), "desk-secret");
    EXPECT_EQ(vault.items.at(kDesk).label, "vontal: password for Desk");
    EXPECT_EQ(inFile(kDesk), std::nullopt);
    EXPECT_EQ(inFile(kLamp), "lamp-secret");

    // vontal ends here, before its second write reached the keyring; the next start finishes
    // the move.
    defaults.reset();
    vault.dropHeld();
    vault.holdAnswers(false);
    sim.diagnostics.clear();
    makeDefaults();
    run();
    EXPECT_EQ(inKeyring(kDesk), "desk-secret");
    EXPECT_EQ(inKeyring(kLamp), "lamp-secret");
    EXPECT_EQ(vault.items.at(kLamp).label, "vontal: password for " + kLamp);
    EXPECT_EQ(inFile(kLamp), std::nullopt);
    EXPECT_EQ(defaults->stringForKey(kDesk), "desk-secret");
    EXPECT_EQ(defaults->stringForKey(kLamp), "lamp-secret");
    EXPECT_TRUE(sim.defaults.dictionaryForKey(PeripheralManager::deviceNamesDefaultsKey))
        << "device names stay in the file";
    EXPECT_THAT(sim.diagnostics.lines(),
                ElementsAre("Moved 1 password from the settings file to the keyring"));
    EXPECT_EQ(defaults->fileFallback(), std::nullopt);
    expectNoPasswordLogged({"desk-secret", "lamp-secret"});
}

TEST_F(KeyringPasswords, TheKeyringsCopyCountsAndTheFilesGoes) {
    vault.items[kDesk] = {"vontal: password for Desk", "from-keyring"};
    sim.defaults.setObject("from-file", kDesk);
    makeDefaults();
    run();
    EXPECT_EQ(defaults->stringForKey(kDesk), "from-keyring");
    EXPECT_EQ(inFile(kDesk), std::nullopt);
    EXPECT_EQ(vault.stores, 0);
    EXPECT_EQ(arrivals, 1);
}

TEST_F(KeyringPasswords, WithoutAKeyringTheFileServesItIsSaidOnceAndTheyMoveWhenOneAppears) {
    vault.setPresent(false);
    run();
    int storageChanges = 0;
    makeDefaults();
    Subscription counter = defaults->storageChanged().subscribe([&] { ++storageChanges; });
    run();
    ASSERT_TRUE(defaults->fileFallback());
    EXPECT_EQ(defaults->fileFallback()->kind, VaultProblem::Kind::Absent);
    EXPECT_FALSE(defaults->mayStillArrive(kDesk));
    defaults->setObject("typed", kDesk);
    EXPECT_EQ(inFile(kDesk), "typed");
    EXPECT_EQ(defaults->stringForKey(kDesk), "typed");
    advance(std::chrono::seconds(30));
    EXPECT_THAT(sim.diagnostics.takeLines(),
                ElementsAre("Passwords are kept in the settings file: no Secret Service "
                            "(keyring) on the session bus"));

    vault.setPresent(true);
    run();
    EXPECT_EQ(inKeyring(kDesk), "typed");
    EXPECT_EQ(inFile(kDesk), std::nullopt);
    EXPECT_EQ(defaults->fileFallback(), std::nullopt);
    EXPECT_EQ(storageChanges, 2);
    // From now on a typed password goes to the keyring alone.
    defaults->setObject("retyped", kLamp);
    run();
    EXPECT_EQ(inKeyring(kLamp), "retyped");
    EXPECT_EQ(inFile(kLamp), std::nullopt);
    expectNoPasswordLogged({"typed", "retyped"});
}

TEST_F(KeyringPasswords, ASilentKeyringIsGivenUpOnAfterItsTimeAndALateAnswerStillMovesThemIn) {
    sim.defaults.setObject("desk-secret", kDesk);
    vault.holdAnswers(true);
    makeDefaults();
    run();
    EXPECT_TRUE(defaults->mayStillArrive(kLamp));
    EXPECT_EQ(defaults->stringForKey(kDesk), "desk-secret");
    advance(VaultBackedDefaults::kAnswerTime - std::chrono::milliseconds(1));
    EXPECT_EQ(defaults->fileFallback(), std::nullopt);
    EXPECT_EQ(arrivals, 0);
    advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(defaults->fileFallback());
    EXPECT_EQ(defaults->fileFallback()->kind, VaultProblem::Kind::Unanswered);
    EXPECT_FALSE(defaults->mayStillArrive(kLamp)) << "readers go on with the file";
    EXPECT_EQ(arrivals, 1);
    EXPECT_THAT(sim.diagnostics.takeLines(),
                ElementsAre("Passwords are kept in the settings file: the keyring did not "
                            "answer within 5 s"));

    // The user unlocks at last.
    vault.holdAnswers(false);
    run();
    EXPECT_EQ(inKeyring(kDesk), "desk-secret");
    EXPECT_EQ(inFile(kDesk), std::nullopt);
    EXPECT_EQ(defaults->fileFallback(), std::nullopt);
}

TEST_F(KeyringPasswords, AWriteThatWaitsOnAnUnansweredUnlockPromptIsKeptInTheFileMeanwhile) {
    makeDefaults();
    run();
    vault.holdAnswers(true); // the collection is locked, and its prompt waits for the user
    defaults->setObject("typed", kDesk);
    run();
    EXPECT_EQ(inFile(kDesk), std::nullopt);
    advance(VaultBackedDefaults::kAnswerTime);
    ASSERT_TRUE(defaults->fileFallback());
    EXPECT_EQ(defaults->fileFallback()->kind, VaultProblem::Kind::Unanswered);
    EXPECT_EQ(inFile(kDesk), "typed") << "vontal may end before the user answers";
    defaults->setObject("typed meanwhile", kLamp);
    EXPECT_EQ(inFile(kLamp), "typed meanwhile");
    // The user unlocks: both end up in the keyring alone.
    vault.holdAnswers(false);
    run();
    EXPECT_EQ(inKeyring(kDesk), "typed");
    EXPECT_EQ(inKeyring(kLamp), "typed meanwhile");
    EXPECT_EQ(inFile(kDesk), std::nullopt);
    EXPECT_EQ(inFile(kLamp), std::nullopt);
    EXPECT_EQ(defaults->fileFallback(), std::nullopt);
    expectNoPasswordLogged({"typed"});
}

TEST_F(KeyringPasswords, AKeyringThatRefusesAWriteLeavesThePasswordInTheFile) {
    makeDefaults();
    run();
    vault.failure = VaultProblem{VaultProblem::Kind::Refused, "No space left on device"};
    defaults->setObject("typed", kDesk);
    run();
    EXPECT_EQ(inKeyring(kDesk), std::nullopt);
    EXPECT_EQ(inFile(kDesk), "typed");
    EXPECT_EQ(defaults->stringForKey(kDesk), "typed");
    EXPECT_THAT(sim.diagnostics.takeLines(),
                ElementsAre("Passwords are kept in the settings file: the keyring refused them "
                            "(No space left on device)"));
    // A locked collection refuses the move of a file's password the same way: it stays.
    vault.failure = VaultProblem{VaultProblem::Kind::Locked, {}};
    vault.setPresent(false);
    run();
    vault.setPresent(true);
    run();
    EXPECT_EQ(inFile(kDesk), "typed");
    EXPECT_EQ(defaults->fileFallback()->kind, VaultProblem::Kind::Locked);
    expectNoPasswordLogged({"typed"});
}

TEST_F(KeyringPasswords, APasswordForgottenBeforeTheKeyringAnsweredLeavesItToo) {
    vault.items[kDesk] = {"vontal: password for Desk", "old"};
    sim.defaults.setObject("old", kDesk);
    vault.holdAnswers(true);
    makeDefaults();
    run();
    defaults->removeObjectForKey(kDesk);
    EXPECT_EQ(inFile(kDesk), std::nullopt);
    vault.holdAnswers(false);
    run();
    EXPECT_EQ(inKeyring(kDesk), std::nullopt);
    EXPECT_EQ(defaults->stringForKey(kDesk), std::nullopt);
    // And one forgotten once the keyring answered leaves it at once.
    vault.items[kLamp] = {"", "lamp"};
    defaults->setObject("lamp", kLamp);
    run();
    defaults->removeObjectForKey(kLamp);
    run();
    EXPECT_EQ(inKeyring(kLamp), std::nullopt);
}

TEST_F(KeyringPasswords, ADeviceWhosePasswordIsOnlyInTheKeyringWaitsForItsReadAlone) {
    const BluetoothUuid desk = addDevice(1); // its password only in the keyring
    const BluetoothUuid lamp = addKnownDevice(2);
    vault.items[desk.toString()] = {"", "pw-1"};
    vault.holdAnswers(true);
    startManager();
    // The device known from the file goes ahead; the other is listed until the keyring answers,
    // and no one is asked for a password it holds.
    EXPECT_TRUE(manager->isUnlocked(lamp));
    EXPECT_THAT(discoveredIds(), ElementsAre(desk));
    EXPECT_THAT(sim.alerts.requests(), IsEmpty());
    vault.holdAnswers(false);
    run();
    EXPECT_TRUE(manager->isUnlocked(desk));
    EXPECT_THAT(discoveredIds(), IsEmpty());
    EXPECT_THAT(passwordWrites(desk), ElementsAre(bytesOf("pw-1")));
    EXPECT_THAT(sim.alerts.requests(), IsEmpty());
}

TEST_F(KeyringPasswords, AHandshakeWaitsForTheKeyringThenAsksWhenItHoldsNothing) {
    const BluetoothUuid desk = addDevice(1);
    vault.holdAnswers(true);
    startManager();
    manager->connect(discovered(desk));
    run();
    EXPECT_TRUE(manager->awaitsPassword(desk));
    EXPECT_THAT(sim.alerts.requests(), IsEmpty());
    // The keyring stays silent: after its time the user is asked, and the answer goes to the file.
    sim.alerts.accept("pw-1");
    advance(VaultBackedDefaults::kAnswerTime);
    EXPECT_FALSE(manager->awaitsPassword(desk));
    ASSERT_EQ(sim.alerts.requests().size(), 1u);
    EXPECT_TRUE(manager->isUnlocked(desk));
    EXPECT_EQ(inFile(desk.toString()), "pw-1");
    // Disconnect forgets it everywhere, once the keyring answers too.
    vault.items[desk.toString()] = {"", "stale"};
    manager->disconnect(handle(desk));
    vault.holdAnswers(false);
    run();
    EXPECT_EQ(inFile(desk.toString()), std::nullopt);
    EXPECT_EQ(inKeyring(desk.toString()), std::nullopt);
    expectNoPasswordLogged({"pw-1", "stale"});
}

} // namespace
} // namespace vontal
