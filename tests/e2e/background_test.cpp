// vontal's main job goes on with no window open: closing the window through the window manager
// leaves vontal running and the devices hearing names; a second start brings a window back; a
// termination signal ends vontal cleanly, every device seeing its link dropped and every stored
// password kept.

#include "qt_wait.h"
#include "vontal_desktop.h"

#include <algorithm>

namespace vontal::e2e {
namespace {

using namespace std::chrono_literals;

const std::string kDeskAddress = "C0:FF:EE:00:00:01";
const std::string kDeskIdentifier = "00000000-0000-0000-0000-C0FFEE000001";
const std::string kLampAddress = "C0:FF:EE:00:00:02";
const std::string kLampIdentifier = "00000000-0000-0000-0000-C0FFEE000002";

std::size_t count(const std::vector<test::MockOperation>& operations, const std::string& kind,
                  const std::string& address) {
    return test::only(operations, kind, address).size();
}

TEST_F(VontalDesktop, ClosingTheWindowKeepsTheDevicesHearingNamesUntilATerminationSignal) {
    addProgramEntries();
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    mock_->addVontalDevice(kLampAddress, "Lamp", "open 42", "Stehlampe");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")},
                   {QString::fromStdString(kLampIdentifier), QStringLiteral("open 42")}});
    const xcb_window_t xterm = launch({"xterm"});
    const xcb_window_t start =
        session_->createWindow({std::string("start\0Start\0", 12), {}, {}, {}});
    ASSERT_TRUE(xterm && start);

    startVontal();
    const xcb_window_t window = vontalWindow();
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitForPaired(kDeskAddress));
    ASSERT_TRUE(waitForPaired(kLampAddress));

    ASSERT_TRUE(closeThroughWindowManager(window));
    ASSERT_TRUE(test::waitUntil([&] { return !windowExists(window); }, 10s))
        << "the window manager did not close vontal's window";
    EXPECT_TRUE(vontalRunning());

    // The window manager gave the focus to some window when vontal's went; from a known one on,
    // the next activation reaches each device as one write without response.
    ASSERT_TRUE(activate(start));
    ASSERT_TRUE(test::waitUntil([&] {
        const auto names = namesReceived(kDeskAddress);
        return !names.empty() && names.back() == "Startfenster";
    }));
    const std::size_t before = namesReceived(kDeskAddress).size();
    ASSERT_TRUE(activate(xterm));
    ASSERT_TRUE(waitForNames(kDeskAddress, before + 1));
    EXPECT_EQ(namesReceived(kDeskAddress).back(), "XTerm");
    EXPECT_EQ(namesReceived(kDeskAddress).size(), before + 1);
    ASSERT_TRUE(test::waitUntil([&] {
        const auto names = namesReceived(kLampAddress);
        return !names.empty() && names.back() == "XTerm";
    }));

    // Starting vontal again hands over to the running one, which opens a window.
    EXPECT_EQ(startVontalAgain(), 0);
    EXPECT_NE(vontalWindow(), 0u) << "a second start opened no window";
    EXPECT_TRUE(vontalRunning());

    // A logout: both links are dropped on the device's side before vontal is gone.
    EXPECT_EQ(count(mock_->operations(), "Disconnect", kDeskAddress), 0u);
    EXPECT_EQ(terminateVontal(), 0);
    const auto operations = mock_->operations();
    EXPECT_EQ(count(operations, "Disconnect", kDeskAddress), 1u);
    EXPECT_EQ(count(operations, "Disconnect", kLampAddress), 1u);

    // Nothing stored was lost on the way out.
    const QJsonObject settings = readSettings();
    EXPECT_EQ(settings.value(QString::fromStdString(kDeskIdentifier)).toString(),
              QStringLiteral("sesame"));
    EXPECT_EQ(settings.value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open 42"));
    const QJsonObject names = settings.value(QStringLiteral("vontal.deviceNames")).toObject();
    EXPECT_EQ(names.value(QString::fromStdString(kDeskIdentifier)).toString(),
              QStringLiteral("Schreibtisch"));
    EXPECT_EQ(names.value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("Stehlampe"));
}

} // namespace
} // namespace vontal::e2e
