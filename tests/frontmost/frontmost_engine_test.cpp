#include "platform/frontmost/frontmost_engine.h"
#include "tests/support/desktop/fake_catalog.h"
#include "tests/support/sim/virtual_clock.h"

#include <gtest/gtest.h>

namespace vontal {
namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::optional<std::string>>;

struct FrontmostEngineTest : ::testing::Test {
    FrontmostEngineTest() {
        catalog.add("org.vontal.Notes.desktop", "Notizen");
        catalog.add("org.vontal.Editor.desktop", "Editor");
        catalog.add("xterm.desktop", "XTerm");
        catalog.addWmClass("XTerm", "xterm.desktop");
        catalog.addWmClass("xterm-x11", "xterm.desktop");
    }

    std::optional<std::string> frontName() const {
        const auto app = engine.frontmost();
        return app ? app->localizedName : std::optional<std::string>("<none>");
    }

    // How a reporter names the front: a desktop id, "" for none.
    void report(std::string_view id) {
        engine.appIdInFront(id.empty() ? std::nullopt : std::optional(id));
    }

    void window(const std::string& identity) { engine.cameToFront({identity, identity + "!"}); }

    FakeCatalog catalog;
    VirtualClock clock;
    FrontmostEngine engine{catalog, clock};
    Names names;
    Subscription observing = engine.observe([this](const Notification& notification) {
        const auto& app = std::get<std::shared_ptr<RunningApplication>>(
            notification.userInfo->at(kWorkspaceApplicationKey));
        names.push_back(app->localizedName);
    });
};

TEST_F(FrontmostEngineTest, FrontAtStartIsNotAnActivationButLaterChangesAre) {
    window("editor");
    window("editor");
    EXPECT_TRUE(names.empty());
    window("terminal");
    window("editor");
    window("editor");
    EXPECT_EQ(names, (Names{"terminal!", "editor!"}));
    EXPECT_EQ(engine.front(), "editor");
    EXPECT_EQ(frontName(), "editor!");
}

TEST_F(FrontmostEngineTest, NothingInFrontAtStartMakesTheFirstWindowAnActivation) {
    engine.nothingInFront();
    engine.nothingInFront();
    EXPECT_EQ(clock.activeTimers(), 0u); // no gap: nothing was in front
    window("editor");
    EXPECT_EQ(names, (Names{"editor!"}));
}

TEST_F(FrontmostEngineTest, BriefLossOfFocusIsNoGap) {
    window("editor");
    engine.nothingInFront();
    EXPECT_EQ(clock.activeTimers(), 1u);
    window("editor");
    EXPECT_EQ(clock.activeTimers(), 0u);
    engine.nothingInFront();
    EXPECT_EQ(clock.activeTimers(), 1u);
    window("terminal");
    clock.advance(1s);
    EXPECT_EQ(names, (Names{"terminal!"}));
    EXPECT_EQ(engine.front(), "terminal");
}

TEST_F(FrontmostEngineTest, AfterARealGapTheSameApplicationIsActivatedAgain) {
    window("editor");
    engine.nothingInFront();
    clock.advance(FrontmostEngine::kGapDuration);
    EXPECT_FALSE(engine.front().has_value());
    // Still no window: nothing is in front, so no new gap begins.
    engine.nothingInFront();
    EXPECT_EQ(clock.activeTimers(), 0u);
    window("editor");
    window("editor");
    EXPECT_EQ(names, (Names{"editor!"}));
}

TEST_F(FrontmostEngineTest, AnObserverCancelledWhileAnActivationIsDeliveredIsNotToldOfIt) {
    int laterCalls = 0;
    Subscription later;
    Subscription canceller = engine.observe([&](const Notification&) { later.cancel(); });
    later = engine.observe([&](const Notification&) { ++laterCalls; });
    window("editor");
    window("terminal");
    EXPECT_EQ(laterCalls, 0);
    EXPECT_EQ(names, (Names{"terminal!"}));
}

TEST_F(FrontmostEngineTest, SwitchesBetweenApplicationsAreActivationsButTheStartIsNot) {
    report("org.vontal.Notes");
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(frontName(), "Notizen");

    report("org.vontal.Editor");
    report("org.vontal.Editor"); // another window of the same application
    report("org.vontal.Notes");
    EXPECT_EQ(names, (Names{"Editor", "Notizen"}));
    EXPECT_EQ(engine.front(), "org.vontal.Notes.desktop");

    // An X11 program under Xwayland gives its class, which its entry names as StartupWMClass; an
    // id no entry claims is an application of its own, named by the id. Its second window is
    // not an activation.
    report("xterm-x11");
    report("org.vontal.Unknown");
    report("org.vontal.Unknown");
    report("Xeyes");
    EXPECT_EQ(names, (Names{"Editor", "Notizen", "XTerm", "org.vontal.Unknown", "Xeyes"}));
    EXPECT_EQ(frontName(), "Xeyes");
}

TEST_F(FrontmostEngineTest, OnlyAGapThatLastsLetsTheSameApplicationCountAgain) {
    report("");
    EXPECT_EQ(frontName(), "<none>");
    report("org.vontal.Notes");
    EXPECT_EQ(names, (Names{"Notizen"})); // nothing was in front at the start

    // The panel or task switcher for an instant: no gap.
    report("");
    clock.advance(99ms);
    report("org.vontal.Notes");
    clock.advance(1s);
    EXPECT_EQ(names, (Names{"Notizen"}));
    EXPECT_EQ(frontName(), "Notizen");

    // The desktop for longer: the same application is activated again afterwards, and the
    // gap counts from the first empty report.
    report("");
    clock.advance(60ms);
    report("");
    clock.advance(40ms);
    EXPECT_EQ(frontName(), "<none>");
    EXPECT_FALSE(engine.front().has_value());
    report("org.vontal.Notes");
    EXPECT_EQ(names, (Names{"Notizen", "Notizen"}));
    EXPECT_EQ(clock.activeTimers(), 0u);
}

TEST_F(FrontmostEngineTest, AfterForgettingTheNextFirstReportIsTheStartAgain) {
    report("org.vontal.Notes");
    EXPECT_FALSE(engine.awaitingStart());
    report("org.vontal.Editor");
    report(""); // a gap was under way
    engine.forget();
    EXPECT_TRUE(engine.awaitingStart());
    EXPECT_EQ(frontName(), "<none>");
    EXPECT_FALSE(engine.front().has_value());
    EXPECT_EQ(clock.activeTimers(), 0u);
    clock.advance(1s);

    report("org.vontal.Editor");
    EXPECT_EQ(names, (Names{"Editor"}));
    EXPECT_EQ(frontName(), "Editor");
    report("org.vontal.Notes");
    EXPECT_EQ(names, (Names{"Editor", "Notizen"}));

    engine.forget();
    report("xterm");
    EXPECT_EQ(names, (Names{"Editor", "Notizen"}));
    EXPECT_EQ(frontName(), "XTerm");

    // Nothing in front as the start is a start too.
    engine.forget();
    report("");
    EXPECT_FALSE(engine.awaitingStart());
    report("xterm");
    EXPECT_EQ(names, (Names{"Editor", "Notizen", "XTerm"}));
}

} // namespace
} // namespace vontal
