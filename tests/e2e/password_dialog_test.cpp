// A device without a stored password: the user connects it from vontal's window, the password
// alert appears as a window of its own, and what is typed there unlocks the device and stays in
// vontal's settings.

#include "qt_wait.h"
#include "vontal_desktop.h"

#include <algorithm>
#include <sys/stat.h>

namespace vontal::e2e {
namespace {

using namespace std::chrono_literals;

const std::string kLampAddress = "C0:FF:EE:00:00:02";
const std::string kLampIdentifier = "00000000-0000-0000-0000-C0FFEE000002";

class PasswordDialog : public VontalDesktop {
protected:
    void SetUp() override {
        VontalDesktop::SetUp();
        if (HasFatalFailure())
            return;
        addProgramEntries();
        mock_->addVontalDevice(kLampAddress, "Lamp", "open sesame 42", "Stehlampe");
        xterm_ = launch({"xterm"});
        ASSERT_NE(xterm_, 0u);
        startVontal();
        window_ = vontalWindow();
        ASSERT_NE(window_, 0u);
        // Scanning: the stand-in already knows the lamp, so it is listed under "Discovered" as
        // soon as the scan reports it.
        ASSERT_TRUE(waitForRecord([](const std::vector<test::MockOperation>& operations) {
            return !test::only(operations, "StartDiscovery").empty();
        }));
    }

    // The user presses "Connect" on the one discovered row: the keyboard focus starts on the
    // launch-at-login toggle, and the rows come after it. The row may be drawn a moment after the
    // scan starts, so a press that brings no alert is made again.
    xcb_window_t connectFromTheWindow() {
        const auto deadline = ::vontal::testing::deadlineIn(40s);
        while (std::chrono::steady_clock::now() < deadline) {
            if (!activate(window_))
                continue;
            if (!xdotool({"key", "Tab", "space"}))
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

    // What reached the device's password and data characteristics, in order, but the
    // keep-alives. The alert is a window of vontal's own, so neither its coming nor its going
    // sends a name: none may show up here.
    std::vector<test::MockOperation> handshake() {
        std::vector<test::MockOperation> result;
        for (const auto& operation : mock_->operations()) {
            const bool keepAlive =
                operation.type == "command" && operation.value == std::vector<std::uint8_t>{0x00};
            if (operation.address == kLampAddress &&
                (operation.uuid == kPasswordUuid || operation.uuid == kDataUuid) && !keepAlive)
                result.push_back(operation);
        }
        return result;
    }

    // Brings the xterm to the front and waits for its name on the device: every name vontal sent
    // before, for its own windows coming and going, is in the list ahead of it.
    std::vector<std::string> namesUpToTheXterm() {
        if (!activate(xterm_))
            return {"(the xterm did not come to the front)"};
        test::waitUntil([&] {
            const auto names = namesReceived(kLampAddress);
            return !names.empty() && names.back() == "XTerm";
        });
        return namesReceived(kLampAddress);
    }

    std::size_t linesStartingWith(const std::string& prefix) {
        const auto lines = vontalLines();
        return static_cast<std::size_t>(
            std::count_if(lines.begin(), lines.end(),
                          [&](const std::string& line) { return line.starts_with(prefix); }));
    }

    xcb_window_t xterm_ = 0;
    xcb_window_t window_ = 0;
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
    ASSERT_FALSE(std::filesystem::exists(settingsPath()));
    const xcb_window_t alert = connectFromTheWindow();
    ASSERT_NE(alert, 0u) << "no password alert came up";
    typeInto(alert, "open sesame 42");

    ASSERT_TRUE(waitForPaired(kLampAddress));
    EXPECT_EQ(describe(handshake()), (std::vector<std::string>{
                                         "WriteValue password request 'open sesame 42'",
                                         "ReadValue data",
                                         std::string("WriteValue data request '\0'", 27),
                                         "StartNotify data",
                                     }));
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

    // The device unlocked this way takes part in the main job like any other, and the name of
    // the program brought to the front is the first it hears.
    EXPECT_EQ(namesUpToTheXterm(), std::vector<std::string>{"XTerm"});
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
    // Two alerts came and went, and the focus went back to vontal's window each time.
    EXPECT_EQ(namesUpToTheXterm(), std::vector<std::string>{"XTerm"});
}

} // namespace
} // namespace vontal::e2e
