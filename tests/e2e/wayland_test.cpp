// vontal in a Wayland session on a wlroots compositor (headless sway): its window and password
// alert on Qt's Wayland plugin, program switches observed through the compositor, typing with
// wtype.

#include "tests/support/bluez/qt_wait.h"
#include "vontal_desktop.h"

#include <QJsonObject>
#include <algorithm>

namespace vontal::e2e {
namespace {

using namespace std::chrono_literals;
using testing::deadlineIn;

class VontalOnSway : public VontalDesktop {
protected:
    void startDesktop() override {
        sway_ = std::make_unique<testing::WaylandSession>(root_ / "session");
    }
    void stopDesktop() override { sway_.reset(); }
    QProcessEnvironment environment() const override { return vontalEnvironment(root_, *sway_); }

    // Starts a program and waits for its window; its process id, or 0 when no window came.
    pid_t launchOnSway(const std::vector<std::string>& argv, const std::string& appIdOrClass) {
        const pid_t pid = sway_->launch(argv);
        return sway_->waitForWindow(appIdOrClass, deadlineIn(20s)) ? pid : 0;
    }

    bool focus(pid_t pid) { return sway_->focus("pid=" + std::to_string(pid)); }

    // vontal's main window as sway sees it.
    std::optional<QJsonObject> vontalWindow() {
        const auto pid = static_cast<int>(vontal_->processId());
        return sway_->waitForNode(
            [&](const QJsonObject& node) { return node.value("pid").toInt() == pid; },
            deadlineIn(30s));
    }

    bool wtype(const std::vector<std::string>& arguments) {
        // Without a pause first the compositor often drops the first key.
        std::vector<std::string> argv{"wtype", "-s", "100"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return sway_->run(argv);
    }

    std::unique_ptr<testing::WaylandSession> sway_;
};

TEST_F(VontalOnSway, EachProgramSwitchedToReachesTheDeviceOnceAsItsLocalizedName) {
    addProgramEntries();
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});

    // Wayland programs named by their entries' ids (gucharmap) or StartupWMClass, and an X11
    // program on Xwayland.
    const pid_t start = launchOnSway({"foot", "--app-id=Start"}, "Start");
    const pid_t charmap = launchOnSway({"foot", "--app-id=gucharmap"}, "gucharmap");
    const pid_t cafe = launchOnSway({"foot", "--app-id=CafeUnicode"}, "CafeUnicode");
    const pid_t tram = launchOnSway({"foot", "--app-id=Tram"}, "Tram");
    const pid_t xterm = launchOnSway({"xterm"}, "XTerm");
    ASSERT_TRUE(start && charmap && cafe && tram && xterm);

    startVontal();
    const auto window = vontalWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->value("shell").toString(), QStringLiteral("xdg_shell"));
    ASSERT_TRUE(waitForPaired(kDeskAddress));

    // Whatever vontal sent for its own window, when it appeared, comes before this name.
    ASSERT_TRUE(focus(start));
    ASSERT_TRUE(test::waitUntil([&] {
        const auto names = namesReceived(kDeskAddress);
        return std::find(names.begin(), names.end(), "Startfenster") != names.end();
    }));
    expectOneNamePerSwitch(
        kDeskAddress, {
                          {[&] { return focus(xterm); }, "XTerm"},
                          {[&] { return focus(charmap); }, "Zeichentabelle"},
                          {[&] { return focus(cafe); }, "Caf\u00e9 \u00dcn\u00efc\u00f8d\u00e9"},
                          {[&] { return focus(tram); }, "\u6771\u4eac \U0001F68B Stra\u00dfenbahn"},
                          {[&] { return focus(xterm); }, "XTerm"},
                          {[&] { return focus(cafe); }, "Caf\u00e9 \u00dcn\u00efc\u00f8d\u00e9"},
                          {[&] { return focus(start); }, "Startfenster"},
                      });
    if (HasFatalFailure())
        return;

    // Each name goes as its UTF-8 bytes alone (four-byte sequences too), without response.
    const auto dataWrites = test::only(mock_->operations(), "WriteValue", kDeskAddress, kDataUuid);
    const auto tramWrite =
        std::find_if(dataWrites.begin(), dataWrites.end(), [](const test::MockOperation& write) {
            return textOf(write.value) == "\u6771\u4eac \U0001F68B Stra\u00dfenbahn";
        });
    ASSERT_NE(tramWrite, dataWrites.end());
    EXPECT_EQ(tramWrite->type, "command");
    const auto lines = vontalLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.starts_with("Application activations are not");
                            }),
              0);
}

TEST_F(VontalOnSway, PasswordAlertOnWaylandTakesTheTypedPasswordAndPairingFollows) {
    addProgramEntries();
    mock_->addVontalDevice(kLampAddress, "Lamp", "open sesame 42", "Stehlampe");
    const pid_t start = launchOnSway({"foot", "--app-id=Start"}, "Start");
    ASSERT_NE(start, 0);
    startVontal();
    const auto window = vontalWindow();
    ASSERT_TRUE(window);
    const auto vontalPid = static_cast<pid_t>(vontal_->processId());
    ASSERT_TRUE(waitForRecord([](const std::vector<test::MockOperation>& operations) {
        return !test::only(operations, "StartDiscovery").empty();
    }));

    // The keyboard focus starts on the launch-at-login toggle; the discovered row comes next. The
    // row may be drawn a moment after the scan starts, so a press that brings no alert is made
    // again.
    const auto isAlert = [](const QJsonObject& node) {
        return node.value("name").toString().toStdString() == kAlertTitle;
    };
    std::optional<QJsonObject> alert;
    for (const auto deadline = deadlineIn(40s);
         !alert && std::chrono::steady_clock::now() < deadline;) {
        if (focus(vontalPid) && wtype({"-k", "Tab", "-k", "space"}))
            alert = sway_->waitForNode(isAlert, deadlineIn(8s));
    }
    ASSERT_TRUE(alert) << "no password alert came up";
    EXPECT_EQ(alert->value("shell").toString(), QStringLiteral("xdg_shell"));
    ASSERT_TRUE(sway_->focus("title=\"^" + kAlertTitle + "$\""));
    ASSERT_TRUE(wtype({"open sesame 42", "-k", "Return"}));

    ASSERT_TRUE(waitForPaired(kLampAddress));
    const auto passwordWrites =
        test::only(mock_->operations(), "WriteValue", kLampAddress, kPasswordUuid);
    ASSERT_EQ(passwordWrites.size(), 1u);
    EXPECT_EQ(passwordWrites[0].value, test::bytesOf("open sesame 42"));
    EXPECT_TRUE(waitForVontalLine("Password accepted \u2013 proceeding with data characteristic"));
    EXPECT_EQ(readSettings().value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame 42"));

    // The unlocked device hears the program brought to the front next. The alert is vontal's
    // own window, which this desktop names by its app_id (vontal's entry is not installed here):
    // that is all it may have heard before.
    ASSERT_TRUE(focus(start));
    ASSERT_TRUE(test::waitUntil([&] {
        const auto names = namesReceived(kLampAddress);
        return !names.empty() && names.back() == "Startfenster";
    }));
    auto names = namesReceived(kLampAddress);
    names.pop_back();
    for (const auto& name : names)
        EXPECT_EQ(name, "org.vontal.vontal");
}

} // namespace
} // namespace vontal::e2e
