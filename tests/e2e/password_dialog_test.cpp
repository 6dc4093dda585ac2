// A device without a stored password: the user connects it from vontal's window, the password
// alert appears as a window of its own, and what is typed there unlocks the device and stays in
// vontal's settings. A refused password whose alert the user cancels is not asked for again until
// the user connects the device; quitting closes an alert that is open.

#include "tests/support/bluez/qt_wait.h"
#include "vontal_desktop.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>

namespace vontal::e2e {
namespace {

using namespace std::chrono_literals;

// A device unlocked with its stored password from the start: it hears every activation, so what
// the lamp does not hear is known to have been sent.
const std::string kWitnessAddress = "C0:FF:EE:00:00:01";
const std::string kWitnessIdentifier = "00000000-0000-0000-0000-C0FFEE000001";

class PasswordDialog : public VontalDesktop {
protected:
    void SetUp() override {
        VontalDesktop::SetUp();
        if (HasFatalFailure())
            return;
        addProgramEntries();
        mock_->addVontalDevice(kWitnessAddress, "Desk", "sesame", "Schreibtisch");
        lamp_ = mock_->addVontalDevice(kLampAddress, "Lamp", "open sesame 42", "Stehlampe");
        addMoreDevices();
        writeSettings(initialSettings());
        xterm_ = launch({"xterm"});
        ASSERT_NE(xterm_, 0u);
        startVontal();
        window_ = vontalWindow();
        ASSERT_NE(window_, 0u);
        ASSERT_TRUE(waitForPaired(kWitnessAddress));
        // Scanning: the stand-in already knows the lamp, so it is listed under "Discovered" as
        // soon as the scan reports it.
        ASSERT_TRUE(waitForRecord([](const std::vector<test::MockOperation>& operations) {
            return !test::only(operations, "StartDiscovery").empty();
        }));
    }

    virtual QJsonObject initialSettings() const {
        return {{QString::fromStdString(kWitnessIdentifier), QStringLiteral("sesame")}};
    }
    virtual void addMoreDevices() {}

    // The user presses "Connect" on the one discovered row: the keyboard focus starts on the
    // launch-at-login toggle, last in the tab order after the connected rows and then the
    // discovered ones, so one step back is the lamp's row. The row may be drawn a moment after
    // the scan starts, so a press that brings no alert is made again.
    xcb_window_t connectFromTheWindow() {
        const auto deadline = ::vontal::testing::deadlineIn(40s);
        while (std::chrono::steady_clock::now() < deadline) {
            if (!activate(window_))
                continue;
            if (!xdotool({"key", "shift+Tab", "space"}))
                continue;
            if (const xcb_window_t alert = waitForWindowTitled(kAlertTitle, 0, 8s))
                return alert;
        }
        return 0;
    }

    void typeInto(xcb_window_t alert, const std::string& text) {
        ASSERT_TRUE(activate(alert));
        ASSERT_TRUE(xdotool({"type", "--delay", "25", text}));
        ASSERT_TRUE(xdotool({"key", "Return"}));
    }

    // What reached the lamp's password and data characteristics, in order, but the names and
    // keep-alives (writes without response).
    std::vector<test::MockOperation> handshake() {
        std::vector<test::MockOperation> result;
        for (const auto& operation : mock_->operations()) {
            if (operation.address == kLampAddress &&
                (operation.uuid == kPasswordUuid || operation.uuid == kDataUuid) &&
                operation.type != "command")
                result.push_back(operation);
        }
        return result;
    }

    // The lamp hears names only once it accepted `password`, and the first right then: before
    // its notifications are on, and the same name the witness last heard, the application in
    // front at that moment.
    void expectNamesOnlyOnceUnlocked(const std::string& password) {
        const auto operations = mock_->operations();
        const auto isName = [](const test::MockOperation& operation, const std::string& address) {
            return operation.operation == "WriteValue" && operation.address == address &&
                   operation.uuid == kDataUuid && operation.type == "command" &&
                   operation.value != std::vector<std::uint8_t>{0x00};
        };
        std::optional<std::size_t> accepted, firstName, notifying;
        std::optional<std::string> witnessLast;
        for (std::size_t i = 0; i < operations.size(); ++i) {
            const auto& operation = operations[i];
            if (operation.address == kLampAddress && operation.uuid == kPasswordUuid &&
                operation.value == test::bytesOf(password))
                accepted = i;
            if (!notifying && operation.operation == "StartNotify" &&
                operation.address == kLampAddress && operation.uuid == kDataUuid)
                notifying = i;
            if (!firstName && isName(operation, kLampAddress)) {
                firstName = i;
                EXPECT_EQ(witnessLast, textOf(operation.value));
            }
            if (!firstName && isName(operation, kWitnessAddress))
                witnessLast = textOf(operation.value);
        }
        ASSERT_TRUE(accepted && firstName && notifying);
        EXPECT_GT(*firstName, *accepted) << "a name reached the lamp before it was unlocked";
        EXPECT_LT(*firstName, *notifying) << "the lamp waited for an activation";
    }

    // Switches to the xterm until `address` has heard it last, after `namesBefore` names. The
    // window manager may still be moving the focus for an alert that opened or closed a moment ago,
    // and take it back from the xterm, so the switch is asked for again until it holds.
    bool xtermHeardBy(const std::string& address, std::size_t namesBefore = 0) {
        const auto deadline = ::vontal::testing::deadlineIn(30s);
        while (std::chrono::steady_clock::now() < deadline) {
            // By way of vontal's window: the xterm may be in front already.
            activate(window_);
            activate(xterm_);
            if (test::waitUntil(
                    [&] {
                        const auto names = namesReceived(address);
                        return names.size() > namesBefore && names.back() == "XTerm";
                    },
                    3s))
                return true;
        }
        return false;
    }

    // The unlocked lamp hears the xterm like any other device.
    bool lampHearsTheXterm() {
        return xtermHeardBy(kLampAddress, namesReceived(kLampAddress).size());
    }

    // Brings the xterm to the front while an alert is open and waits until the witness heard it:
    // the lamp, not unlocked, must not have.
    void switchAwayWhileTheAlertIsOpen() {
        ASSERT_TRUE(xtermHeardBy(kWitnessAddress, namesReceived(kWitnessAddress).size()));
        EXPECT_EQ(namesReceived(kLampAddress), std::vector<std::string>{});
    }

    std::size_t linesStartingWith(const std::string& prefix) {
        const auto lines = vontalLines();
        return static_cast<std::size_t>(
            std::count_if(lines.begin(), lines.end(),
                          [&](const std::string& line) { return line.starts_with(prefix); }));
    }

    std::size_t recorded(const std::string& operation, const std::string& address) {
        return test::only(mock_->operations(), operation, address).size();
    }

    test::MockVontalDevice lamp_;
    xcb_window_t xterm_ = 0;
    xcb_window_t window_ = 0;
};

// The same desktop with a tray host, whose menu can quit vontal while an alert waits.
class PasswordDialogWithTray : public PasswordDialog {
protected:
    void startDesktop() override {
        PasswordDialog::startDesktop();
        startTrayHost();
    }
};

// The lamp is known, with a password it refuses.
class PasswordDialogWithRefusedPassword : public PasswordDialog {
protected:
    QJsonObject initialSettings() const override {
        QJsonObject settings = PasswordDialog::initialSettings();
        settings.insert(QString::fromStdString(kLampIdentifier), QStringLiteral("open sesame"));
        return settings;
    }
};

// Besides the lamp, more known devices whose stored passwords they refuse.
class ManyRefusedPasswords : public PasswordDialogWithRefusedPassword {
protected:
    static constexpr int kMore = 4;
    static std::string addressOf(int n) { return "C0:FF:EE:00:00:1" + std::to_string(n); }
    static std::string identifierOf(int n) {
        return "00000000-0000-0000-0000-C0FFEE00001" + std::to_string(n);
    }
    void addMoreDevices() override {
        for (int n = 0; n < kMore; ++n)
            mock_->addVontalDevice(addressOf(n), QStringLiteral("Pad %1").arg(n), "right",
                                   QByteArray("Pad ") + QByteArray::number(n));
    }
    QJsonObject initialSettings() const override {
        QJsonObject settings = PasswordDialogWithRefusedPassword::initialSettings();
        for (int n = 0; n < kMore; ++n)
            settings.insert(QString::fromStdString(identifierOf(n)), QStringLiteral("wrong"));
        return settings;
    }
};

// The same desktop with a keyring, as most desktops have: the witness's password moves from the
// settings file into it at start, and typed passwords go there.
class PasswordDialogWithKeyring : public PasswordDialog {
protected:
    void startDesktop() override {
        PasswordDialog::startDesktop();
        startKeyring();
    }
    bool keyringHolds(const std::string& identifier, const QByteArray& secret) {
        const auto item = keyring_->itemFor(identifier);
        return item && item->secret == secret;
    }
    // The files under vontal's home, settings, data, cache and runtime folders that hold `text`.
    std::vector<std::string> filesHolding(const std::string& text) {
        std::vector<std::string> found;
        for (const char* dir : {"home", "config", "data-home", "cache", "runtime"}) {
            std::error_code error;
            for (const auto& entry :
                 std::filesystem::recursive_directory_iterator(root_ / dir, error)) {
                if (!entry.is_regular_file())
                    continue;
                std::ifstream in(entry.path(), std::ios::binary);
                const std::string content{std::istreambuf_iterator<char>(in), {}};
                if (content.find(text) != std::string::npos)
                    found.push_back(entry.path().string());
            }
        }
        return found;
    }
};

std::vector<std::string> describe(const std::vector<test::MockOperation>& operations) {
    std::vector<std::string> result;
    for (const auto& operation : operations) {
        std::string text =
            operation.operation + " " + (operation.uuid == kPasswordUuid ? "password" : "data");
        if (operation.operation == "WriteValue")
            text += " " + operation.type + " '" + textOf(operation.value) + "'";
        result.push_back(text);
    }
    return result;
}

TEST_F(PasswordDialog, TypedPasswordUnlocksTheDeviceAndIsKeptInTheSettings) {
    ASSERT_FALSE(readSettings().contains(QString::fromStdString(kLampIdentifier)));
    const xcb_window_t alert = connectFromTheWindow();
    ASSERT_NE(alert, 0u) << "no password alert came up";
    switchAwayWhileTheAlertIsOpen();
    typeInto(alert, "open sesame 42");

    ASSERT_TRUE(waitForPaired(kLampAddress));
    EXPECT_EQ(describe(handshake()), (std::vector<std::string>{
                                         "WriteValue password request 'open sesame 42'",
                                         "ReadValue data",
                                         std::string("WriteValue data request '\0'", 27),
                                         "StartNotify data",
                                     }));
    // The alert spoke German (its title found it); the log lines are the system's own and stay
    // English.
    EXPECT_TRUE(waitForVontalLine("Password accepted \u2013 proceeding with data characteristic"));
    EXPECT_TRUE(waitForVontalLine("Write for pairing succeeded (pairing prompt should appear)"));
    EXPECT_TRUE(waitForVontalLine("Notification state updated; isNotifying: true"));
    EXPECT_EQ(linesStartingWith("Password write failed:"), 0u);

    // Kept under the device identifier's upper-case text, readable by the user alone.
    EXPECT_EQ(readSettings().value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame 42"));
    struct stat status {};
    ASSERT_EQ(stat(settingsPath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    // The device unlocked this way takes part in the main job like any other.
    expectNamesOnlyOnceUnlocked("open sesame 42");
    EXPECT_TRUE(lampHearsTheXterm());
}

TEST_F(PasswordDialog, RefusedPasswordIsAskedForAgainAndTheRetryReplacesIt) {
    const xcb_window_t first = connectFromTheWindow();
    ASSERT_NE(first, 0u) << "no password alert came up";
    typeInto(first, "open sesame");

    ASSERT_TRUE(
        test::waitUntil([&] { return linesStartingWith("Password write failed: ") == 1; }, 20s));
    // The refused password is kept until the user gives another one.
    EXPECT_EQ(readSettings().value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame"));
    const xcb_window_t second = waitForWindowTitled(kAlertTitle, first, 20s);
    ASSERT_NE(second, 0u) << "no second password alert came up";
    EXPECT_FALSE(windowExists(first));
    // Connected but refused: still nothing for the lamp.
    switchAwayWhileTheAlertIsOpen();
    typeInto(second, "open sesame 42");

    ASSERT_TRUE(waitForPaired(kLampAddress));
    EXPECT_EQ(describe(handshake()), (std::vector<std::string>{
                                         "WriteValue password request 'open sesame'",
                                         "WriteValue password request 'open sesame 42'",
                                         "ReadValue data",
                                         std::string("WriteValue data request '\0'", 27),
                                         "StartNotify data",
                                     }));
    EXPECT_TRUE(waitForVontalLine("Password accepted \u2013 proceeding with data characteristic"));
    EXPECT_EQ(linesStartingWith("Password write failed: "), 1u);
    EXPECT_EQ(readSettings().value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame 42"));
    expectNamesOnlyOnceUnlocked("open sesame 42");
    EXPECT_TRUE(lampHearsTheXterm());
}

TEST_F(PasswordDialogWithTray, CancelledRefusalWaitsForConnectAndQuitClosesAnOpenAlert) {
    const xcb_window_t asked = connectFromTheWindow();
    ASSERT_NE(asked, 0u) << "no password alert came up";
    typeInto(asked, "open sesame");
    const xcb_window_t refused = waitForWindowTitled(kAlertTitle, asked, 20s);
    ASSERT_NE(refused, 0u) << "no incorrect-password alert came up";

    // Cancel (Escape) drops the link and keeps the refused password.
    const std::size_t disconnects = recorded("Disconnect", kLampAddress);
    ASSERT_TRUE(activate(refused));
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    ASSERT_TRUE(test::waitUntil([&] { return !windowExists(refused); }, 10s));
    ASSERT_TRUE(waitForRecord([&](const std::vector<test::MockOperation>& operations) {
        return test::only(operations, "Disconnect", kLampAddress).size() > disconnects;
    }));
    const std::size_t connects = recorded("Connect", kLampAddress);

    // The lamp keeps advertising for longer than the reconnect pauses (1 s, 2 s, 4 s) add up to;
    // vontal neither connects it nor asks again.
    for (int second = 0; second < 8; ++second) {
        mock_->setRssi(kLampAddress, -50 - second);
        ASSERT_EQ(waitForWindowTitled(kAlertTitle, 0, 1s), 0u)
            << "the alert came back after " << second << " s";
    }
    EXPECT_EQ(recorded("Connect", kLampAddress), connects) << "connected without the user";
    EXPECT_EQ(readSettings().value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame"));

    // A window opened from the tray starts with the focus on its launch-at-login toggle, and
    // one step back is the last discovered row: the lamp's, or the desk's "Disconnect" if the
    // lamp were listed nowhere.
    ASSERT_TRUE(closeThroughWindowManager(window_));
    ASSERT_TRUE(test::waitUntil([&] { return !windowExists(window_); }, 10s));
    trayHost(QStringLiteral("Activate"));
    window_ = vontalWindow();
    ASSERT_NE(window_, 0u) << "activating the item opened no window";
    ASSERT_TRUE(activate(window_));
    ASSERT_TRUE(xdotool({"key", "shift+Tab", "space"}));
    // "Connect" writes the stored password at once, and the lamp refuses it again.
    const xcb_window_t again = waitForWindowTitled(kAlertTitle, 0, 20s);
    ASSERT_NE(again, 0u) << "Connect brought no alert";
    EXPECT_EQ(recorded("Disconnect", kWitnessAddress), 0u);
    EXPECT_EQ(recorded("Connect", kLampAddress), connects + 1);
    EXPECT_TRUE(
        test::waitUntil([&] { return linesStartingWith("Password write failed: ") == 2; }, 10s));
    typeInto(again, "open sesame 42");

    ASSERT_TRUE(waitForPaired(kLampAddress));
    EXPECT_TRUE(waitForVontalLine("Password accepted \u2013 proceeding with data characteristic"));
    EXPECT_EQ(describe(handshake()), (std::vector<std::string>{
                                         "WriteValue password request 'open sesame'",
                                         "WriteValue password request 'open sesame'",
                                         "WriteValue password request 'open sesame 42'",
                                         "ReadValue data",
                                         std::string("WriteValue data request '\0'", 27),
                                         "StartNotify data",
                                     }));
    EXPECT_EQ(readSettings().value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame 42"));
    // What the window shows as being sent: the program in front reaches the unlocked lamp.
    EXPECT_TRUE(lampHearsTheXterm());

    // The next connection meets a password changed on the lamp; its alert is open when the user
    // quits from the tray's menu.
    mock_->setPassword(lamp_.password, "changed");
    mock_->dropLink(kLampAddress);
    const xcb_window_t open = waitForWindowTitled(kAlertTitle, 0, 30s);
    ASSERT_NE(open, 0u) << "no alert for the changed password";
    const std::size_t lampDisconnects = recorded("Disconnect", kLampAddress);
    ASSERT_TRUE(trayHost(QStringLiteral("Click"), {QStringLiteral("Beenden")}).toBool());
    ASSERT_TRUE(vontal_->waitForFinished(20000)) << "Quit left vontal running";
    EXPECT_EQ(vontal_->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vontal_->exitCode(), 0);
    EXPECT_EQ(recorded("Disconnect", kWitnessAddress), 1u);
    EXPECT_GT(recorded("Disconnect", kLampAddress), lampDisconnects);
    // The alert ended as "Cancel": nothing typed replaced the stored password.
    EXPECT_EQ(readSettings().value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame 42"));
}

// The refused password's alert is open when the lamp's link drops and comes back: vontal neither
// writes the refused password again nor opens a second alert, and the one answer unlocks the
// lamp on the connection it has now.
TEST_F(PasswordDialogWithRefusedPassword, ALinkThatComesBackKeepsTheOneAlertWhoseAnswerUnlocks) {
    const xcb_window_t refused = waitForWindowTitled(kAlertTitle, 0, 30s);
    ASSERT_NE(refused, 0u) << "no incorrect-password alert came up";
    ASSERT_TRUE(
        test::waitUntil([&] { return linesStartingWith("Password write failed: ") == 1; }, 10s));
    const std::size_t connects = recorded("Connect", kLampAddress);
    const std::size_t reads = recorded("ReadValue", kLampAddress);
    mock_->dropLink(kLampAddress);
    // Connected again, and its characteristics found (its name is read anew).
    ASSERT_TRUE(waitForRecord(
        [&](const std::vector<test::MockOperation>& operations) {
            return test::only(operations, "Connect", kLampAddress).size() > connects &&
                   test::only(operations, "ReadValue", kLampAddress).size() > reads;
        },
        30s));
    EXPECT_EQ(waitForWindowTitled(kAlertTitle, refused, 3s), 0u) << "a second alert opened";
    EXPECT_TRUE(windowExists(refused));
    EXPECT_EQ(linesStartingWith("Password write failed: "), 1u);

    typeInto(refused, "open sesame 42");
    ASSERT_TRUE(waitForPaired(kLampAddress));
    EXPECT_EQ(describe(handshake()), (std::vector<std::string>{
                                         "WriteValue password request 'open sesame'",
                                         "WriteValue password request 'open sesame 42'",
                                         "ReadValue data",
                                         std::string("WriteValue data request '\0'", 27),
                                         "StartNotify data",
                                     }));
    EXPECT_EQ(readSettings().value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame 42"));
    EXPECT_TRUE(test::waitUntil([&] { return windowsTitled(kAlertTitle).empty(); }, 10s));
    EXPECT_TRUE(lampHearsTheXterm());
}

// Several devices refuse their stored passwords at once: their alerts come one at a time, in
// turn, and an empty answer is a Cancel that replaces no stored password.
TEST_F(ManyRefusedPasswords, AlertsComeOneAtATimeInTurnAndAnEmptyAnswerIsACancel) {
    std::vector<xcb_window_t> seen;
    std::vector<std::string> answeredFor;
    for (int round = 0; round < 1 + kMore; ++round) {
        const auto shown = [&] {
            const auto open = windowsTitled(kAlertTitle);
            return !open.empty() && std::find(seen.begin(), seen.end(), open.front()) == seen.end();
        };
        ASSERT_TRUE(test::waitUntil(shown, 30s)) << "alert " << round << " never came";
        // Give any other alert the time to appear beside it.
        EXPECT_EQ(waitForWindowTitled(kAlertTitle, windowsTitled(kAlertTitle).front(), 2s), 0u)
            << "two alerts open at once";
        const xcb_window_t alert = windowsTitled(kAlertTitle).front();
        seen.push_back(alert);
        // Enter on the empty field: nothing is stored, and the device is held back.
        ASSERT_TRUE(activate(alert));
        ASSERT_TRUE(xdotool({"key", "Return"}));
        ASSERT_TRUE(test::waitUntil([&] { return !windowExists(alert); }, 10s));
    }
    EXPECT_TRUE(test::waitUntil([&] { return windowsTitled(kAlertTitle).empty(); }, 5s));
    EXPECT_EQ(linesStartingWith("Password write failed: "), std::size_t(1 + kMore));
    // Every refused password is still the one stored: no empty text replaced one.
    const QJsonObject settings = readSettings();
    EXPECT_EQ(settings.value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame"));
    for (int n = 0; n < kMore; ++n)
        EXPECT_EQ(settings.value(QString::fromStdString(identifierOf(n))).toString(),
                  QStringLiteral("wrong"));
    EXPECT_EQ(recorded("Disconnect", kWitnessAddress), 0u);
}

} // namespace
} // namespace vontal::e2e

namespace vontal::e2e {
namespace {

TEST_F(PasswordDialogWithKeyring, ATypedPasswordIsKeptInTheKeyringAloneAndDisconnectForgetsIt) {
    const QString lampKey = QString::fromStdString(kLampIdentifier);
    // The witness's password left the file for the keyring; its device never waited for that.
    ASSERT_TRUE(test::waitUntil([&] { return keyringHolds(kWitnessIdentifier, "sesame"); }, 20s));
    EXPECT_TRUE(waitForVontalLine("Moved 1 password from the settings file to the keyring"));
    EXPECT_FALSE(readSettings().contains(QString::fromStdString(kWitnessIdentifier)));

    const xcb_window_t alert = connectFromTheWindow();
    ASSERT_NE(alert, 0u) << "no password alert came up";
    typeInto(alert, "open sesame 42");
    ASSERT_TRUE(waitForPaired(kLampAddress));
    ASSERT_TRUE(
        test::waitUntil([&] { return keyringHolds(kLampIdentifier, "open sesame 42"); }, 20s));
    // Labelled with the name the window shows, found by the device's identifier.
    const auto item = keyring_->itemFor(kLampIdentifier);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->label, QStringLiteral("vontal: password for Stehlampe"));
    EXPECT_EQ(item->attributes.value(QStringLiteral("service")), QStringLiteral("vontal"));
    EXPECT_FALSE(readSettings().contains(lampKey));
    EXPECT_EQ(filesHolding("open sesame 42"), std::vector<std::string>{});
    for (const std::string& line : vontalLines())
        EXPECT_EQ(line.find("open sesame 42"), std::string::npos) << line;

    // The next start, the witness out of reach: the lamp is unlocked from the keyring, unasked.
    EXPECT_EQ(terminateVontal(), 0);
    mock_->setReachable(kWitnessAddress, false);
    const std::size_t accepted = linesStartingWith("Password accepted");
    const std::size_t writes = recorded("WriteValue", kLampAddress);
    startVontal();
    window_ = vontalWindow();
    ASSERT_NE(window_, 0u);
    ASSERT_TRUE(
        test::waitUntil([&] { return linesStartingWith("Password accepted") > accepted; }, 30s));
    EXPECT_GT(recorded("WriteValue", kLampAddress), writes);
    EXPECT_TRUE(windowsTitled(kAlertTitle).empty()) << "the password was asked for again";

    // "Disconnect" on its row, the only one: one step back from the toggle. The row may be drawn
    // a moment after the unlock, so a press that changes nothing is made again.
    EXPECT_TRUE(test::waitUntil(
        [&] {
            if (activate(window_))
                xdotool({"key", "shift+Tab", "space"});
            return test::waitUntil(
                [&] {
                    const auto items = keyring_->vontalItems();
                    return items && !keyring_->itemFor(kLampIdentifier);
                },
                3s);
        },
        30s))
        << "the keyring still holds the lamp's password";
    EXPECT_FALSE(readSettings().contains(lampKey));
}

} // namespace
} // namespace vontal::e2e
