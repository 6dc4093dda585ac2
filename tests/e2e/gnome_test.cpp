// vontal in a GNOME Shell session (headless GNOME Shell 43): program switches told by vontal's
// Shell extension (the shipped files, switched on) reach the device, once each, as the exact
// bytes of the localized name.

#include "tests/support/bluez/qt_wait.h"
#include "vontal_desktop.h"

#include <algorithm>
#include <stdexcept>

namespace vontal::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::deadlineIn;

const fs::path kFocusForms = VONTAL_TEST_FOCUS_FORMS;

class VontalOnGnome : public VontalDesktop {
protected:
    void startDesktop() override {
        // The forms of vontal's extension and the test's that this Shell runs.
        const auto extension = testing::WaylandSession::gnomeExtensionForm(VONTAL_GNOME_EXTENSIONS);
        const auto focus = testing::WaylandSession::gnomeExtensionForm(kFocusForms);
        if (extension.empty() || focus.empty())
            throw std::runtime_error("no extension for GNOME Shell " +
                                     testing::WaylandSession::gnomeShellVersion());
        uuid_ = extension.filename().string();
        gnome_ = std::make_unique<testing::WaylandSession>(
            root_ / "session", testing::WaylandSession::Compositor::Gnome,
            testing::WaylandSession::GnomeSetup{{extension, focus},
                                                {uuid_, focus.filename().string()}});
    }
    void stopDesktop() override { gnome_.reset(); }
    QProcessEnvironment environment() const override {
        auto environment = vontalEnvironment(root_, *gnome_);
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
        // Its window stays off the Shell's screen: only the programs below take the focus.
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return environment;
    }

    // Activates the window with this title, as a click would; false if the Shell has none.
    bool activate(const std::string& title) {
        for (const auto deadline = deadlineIn(20s); std::chrono::steady_clock::now() < deadline;) {
            const auto done = gnome_->gnomeCall("/org/vontal/test/Focus",
                                                "org.vontal.test.Focus.Activate", {title});
            if (done && done->find("true") != std::string::npos)
                return true;
            test::waitUntil([] { return false; }, 100ms);
        }
        return false;
    }

    std::unique_ptr<testing::WaylandSession> gnome_;
    std::string uuid_; // of the form of vontal's extension this Shell runs
};

TEST_F(VontalOnGnome, EachProgramSwitchedToReachesTheDeviceOnceAsItsLocalizedName) {
    addProgramEntries();
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});
    // Named by the Shell's own entry (gucharmap) or, without one there, by the app_id.
    const std::vector<std::string> programs = {"gucharmap", "CafeUnicode", "Start"};
    for (const auto& appId : programs)
        gnome_->launch({"foot", "--app-id=" + appId, "--title=" + appId});
    // Each has its window before vontal starts, "Start" in front.
    for (const auto& appId : programs)
        ASSERT_TRUE(activate(appId)) << appId;

    startVontal();
    ASSERT_TRUE(waitForPaired(kDeskAddress));
    ASSERT_TRUE(waitForVontalLine("vontal's GNOME Shell extension (" + uuid_ +
                                  ") is on: application names are sent"));

    // Whatever vontal sent when the device unlocked (the application in front then, if the
    // Shell's first report came first) comes before this name.
    ASSERT_TRUE(activate("gucharmap"));
    ASSERT_TRUE(test::waitUntil([&] {
        const auto names = namesReceived(kDeskAddress);
        return std::find(names.begin(), names.end(), "Zeichentabelle") != names.end();
    }));
    const std::size_t before = namesReceived(kDeskAddress).size();

    const std::vector<std::pair<std::string, std::string>> switches = {
        {"CafeUnicode", "Caf\u00e9 \u00dcn\u00efc\u00f8d\u00e9"},
        {"Start", "Startfenster"},
        {"gucharmap", "Zeichentabelle"},
        {"CafeUnicode", "Caf\u00e9 \u00dcn\u00efc\u00f8d\u00e9"},
    };
    std::vector<std::string> expected;
    for (const auto& [title, name] : switches) {
        ASSERT_TRUE(activate(title)) << title;
        expected.push_back(name);
        // A second write for one switch would show up here, before the next switch's name.
        ASSERT_TRUE(waitForNames(kDeskAddress, before + expected.size())) << name;
    }
    const auto names = namesReceived(kDeskAddress);
    EXPECT_EQ(
        std::vector<std::string>(names.begin() + static_cast<std::ptrdiff_t>(before), names.end()),
        expected);

    // One write per switch, of type command, carrying the name's UTF-8 bytes alone.
    const auto dataWrites = test::only(mock_->operations(), "WriteValue", kDeskAddress, kDataUuid);
    std::vector<test::MockOperation> nameWrites;
    std::copy_if(dataWrites.begin(), dataWrites.end(), std::back_inserter(nameWrites),
                 [](const test::MockOperation& write) { return write.value.size() > 1; });
    ASSERT_EQ(nameWrites.size(), before + expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(nameWrites[before + i].type, "command");
        EXPECT_EQ(nameWrites[before + i].value, test::bytesOf(expected[i]));
    }
}

} // namespace
} // namespace vontal::e2e
