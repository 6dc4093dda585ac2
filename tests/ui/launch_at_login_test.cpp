// The launch-at-login toggle against a scripted login-item service.

#include "ui/content_view.h"
#include "ui/launch_at_login_block.h"
#include "ui/login_item_control.h"
#include "ui/status_line.h"
#include "ui/two_line_label.h"
#include "ui_fixture.h"
#include "vontal_ids.h"

#include <QCheckBox>
#include <QLabel>

namespace vontal {
namespace {

using Call = ScriptedLoginItemService::Call;

class LaunchAtLoginTest : public UiFixture {
protected:
    // A window's view, shown as a window opening shows it.
    std::unique_ptr<ContentView> open() {
        auto view = std::make_unique<ContentView>(*manager, loginItems, uiDiagnostics);
        view->show();
        turnQtLoop();
        return view;
    }
    QCheckBox* toggle(const ContentView& view) const { return view.launchAtLoginBlock()->toggle(); }

    const std::string helper = kHelperIdentifier;
};

TEST_F(LaunchAtLoginTest, HelperIdentifierSharesThePrefixOfTheMainIdentifier) {
    const std::string main = kMainIdentifier;
    ASSERT_TRUE(main.ends_with("vontal"));
    ASSERT_TRUE(helper.ends_with("vontalhelper"));
    EXPECT_EQ(main.substr(0, main.size() - 6), helper.substr(0, helper.size() - 12));
    const auto view = open();
    EXPECT_EQ(view->helperID(), helper);
}

TEST_F(LaunchAtLoginTest, EnabledAtOpenShowsOnAndRegistersExactlyOnce) {
    loginItems.status = LoginItemStatus::Enabled;
    const auto view = open();
    EXPECT_TRUE(view->launchAtLogin());
    EXPECT_TRUE(toggle(*view)->isChecked());
    EXPECT_EQ(loginItems.changes(), (std::vector<Call>{{"register", helper}}));
    EXPECT_TRUE(uiDiagnostics.lines().empty());
}

TEST_F(LaunchAtLoginTest, AnyOtherStatusAtOpenShowsOffAndAsksNothing) {
    for (const LoginItemStatus status :
         {LoginItemStatus::NotRegistered, LoginItemStatus::RequiresApproval,
          LoginItemStatus::NotFound}) {
        loginItems.calls.clear();
        loginItems.status = status;
        const auto view = open();
        EXPECT_FALSE(view->launchAtLogin()) << static_cast<int>(status);
        EXPECT_FALSE(toggle(*view)->isChecked());
        EXPECT_EQ(loginItems.calls, (std::vector<Call>{{"status", helper}}));
    }
}

TEST_F(LaunchAtLoginTest, FlippingOnThenOffRegistersThenUnregisters) {
    const auto view = open();
    click(toggle(*view));
    EXPECT_TRUE(view->launchAtLogin());
    click(toggle(*view));
    EXPECT_FALSE(view->launchAtLogin());
    EXPECT_EQ(loginItems.changes(),
              (std::vector<Call>{{"register", helper}, {"unregister", helper}}));
    EXPECT_TRUE(uiDiagnostics.lines().empty());
}

TEST_F(LaunchAtLoginTest, AFailedCallTurnsTheToggleBackAndTheStatusLineSaysWhy) {
    loginItems.registerError = LoginItemError{"E"};
    const auto view = open();
    const auto line = [&] {
        return view->statusLine()->line(StatusReport::Topic::LoginItem);
    };
    click(toggle(*view));
    EXPECT_FALSE(toggle(*view)->isChecked());
    EXPECT_FALSE(view->launchAtLogin());
    EXPECT_EQ(uiDiagnostics.lines(),
              (std::vector<std::string>{"Failed to register login item: E"}));
    turnQtLoop();
    ASSERT_NE(line(), nullptr);
    EXPECT_FALSE(line()->isHidden());
    EXPECT_EQ(line()->fullText(), "Launch on login could not be switched on: E.");

    // It works the next time: on, and the sentence goes.
    loginItems.registerError.reset();
    click(toggle(*view));
    turnQtLoop();
    EXPECT_TRUE(toggle(*view)->isChecked());
    EXPECT_EQ(line(), nullptr);

    // An unregistration that fails leaves the item enabled: the toggle shows it on again.
    loginItems.unregisterError = LoginItemError{"Operation not permitted"};
    click(toggle(*view));
    turnQtLoop();
    EXPECT_TRUE(toggle(*view)->isChecked());
    ASSERT_NE(line(), nullptr);
    EXPECT_EQ(line()->fullText(),
              "Launch on login could not be switched off: Operation not permitted.");
    EXPECT_EQ(
        uiDiagnostics.lines(),
        (std::vector<std::string>{"Failed to register login item: E",
                                  "Failed to unregister login item: Operation not permitted"}));
    EXPECT_EQ(
        loginItems.changes(),
        (std::vector<Call>{{"register", helper}, {"register", helper}, {"unregister", helper}}));
}

TEST_F(LaunchAtLoginTest, ARegistrationTheSystemDoesNotEnableShowsOff) {
    // Registration succeeds but the system wants the user's approval first.
    loginItems.statusAfterRegister = LoginItemStatus::RequiresApproval;
    const auto view = open();
    click(toggle(*view));
    turnQtLoop();
    EXPECT_FALSE(toggle(*view)->isChecked());
    const TwoLineLabel* line = view->statusLine()->line(StatusReport::Topic::LoginItem);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->fullText(),
              "Launch on login was set up, but the system does not start vontal at login yet.");
    // Shown as the service reports it, not applied again.
    EXPECT_EQ(loginItems.changes(), (std::vector<Call>{{"register", helper}}));
    EXPECT_TRUE(uiDiagnostics.lines().empty());
}

TEST_F(LaunchAtLoginTest, EachWindowHasItsOwnToggle) {
    const auto first = open();
    const auto second = open();
    click(toggle(*first));
    EXPECT_TRUE(first->launchAtLogin());
    EXPECT_FALSE(second->launchAtLogin());
    EXPECT_FALSE(toggle(*second)->isChecked());
}

TEST_F(LaunchAtLoginTest, BlockLayout) {
    const auto view = open();
    const LaunchAtLoginBlock* block = view->launchAtLoginBlock();
    EXPECT_EQ(toggle(*view)->text(), "Launch on login");
    EXPECT_EQ(toggle(*view)->height(), 20);
    // 6 points either side, 9 below the toggle.
    EXPECT_EQ(toggle(*view)->geometry().left(), 6);
    EXPECT_EQ(block->height() - toggle(*view)->geometry().bottom() - 1, 9);
    EXPECT_EQ(block->x(), 0);
    EXPECT_EQ(block->geometry().bottom(), view->height() - 1);
}

TEST(UpdateLoginItem, AppliesTheValueToTheNamedItem) {
    ScriptedLoginItemService service;
    RecordingDiagnostics diagnostics;
    updateLoginItem(true, "a.b.c", service, diagnostics);
    updateLoginItem(false, "d.e.f", service, diagnostics);
    EXPECT_EQ(service.calls, (std::vector<Call>{{"register", "a.b.c"}, {"unregister", "d.e.f"}}));
    EXPECT_TRUE(diagnostics.lines().empty());
}

} // namespace
} // namespace vontal
