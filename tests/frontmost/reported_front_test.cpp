#include "platform/frontmost/reported_front.h"
#include "tests/support/desktop/fake_catalog.h"
#include "tests/support/sim/virtual_clock.h"

#include <gtest/gtest.h>

namespace vontal {
namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::optional<std::string>>;

struct ReportedFrontTest : ::testing::Test {
    ReportedFrontTest() {
        catalog.add("org.vontal.Notes.desktop", "Notizen");
        catalog.add("org.vontal.Editor.desktop", "Editor");
        catalog.add("xterm.desktop", "XTerm");
        catalog.addWmClass("XTerm", "xterm.desktop");
        catalog.addWmClass("xterm-x11", "xterm.desktop");
    }

    std::optional<std::string> frontName() const {
        const auto app = front.frontmost();
        return app ? app->localizedName : std::optional<std::string>("<none>");
    }

    FakeCatalog catalog;
    VirtualClock clock;
    ReportedFront front{catalog, clock};
    Names names;
    Subscription observing = front.observe([this](const Notification& notification) {
        const auto& app = std::get<std::shared_ptr<RunningApplication>>(
            notification.userInfo->at(kWorkspaceApplicationKey));
        names.push_back(app->localizedName);
    });
};

TEST_F(ReportedFrontTest, SwitchesBetweenApplicationsAreActivationsButTheStartIsNot) {
    front.report("org.vontal.Notes");
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(frontName(), "Notizen");

    front.report("org.vontal.Editor");
    front.report("org.vontal.Editor"); // another window of the same application
    front.report("org.vontal.Notes");
    EXPECT_EQ(names, (Names{"Editor", "Notizen"}));
    EXPECT_EQ(front.front(), "org.vontal.Notes.desktop");

    // An X11 program under Xwayland gives its class, which its entry names as StartupWMClass; an
    // id no entry claims is an application of its own, named by the id. Its second window is
    // not an activation.
    front.report("xterm-x11");
    front.report("org.vontal.Unknown");
    front.report("org.vontal.Unknown");
    front.report("Xeyes");
    EXPECT_EQ(names, (Names{"Editor", "Notizen", "XTerm", "org.vontal.Unknown", "Xeyes"}));
    EXPECT_EQ(frontName(), "Xeyes");
}

TEST_F(ReportedFrontTest, OnlyAGapThatLastsLetsTheSameApplicationCountAgain) {
    front.report("");
    EXPECT_EQ(frontName(), "<none>");
    front.report("org.vontal.Notes");
    EXPECT_EQ(names, (Names{"Notizen"})); // nothing was in front at the start

    // The panel or task switcher for an instant: no gap.
    front.report("");
    clock.advance(99ms);
    front.report("org.vontal.Notes");
    clock.advance(1s);
    EXPECT_EQ(names, (Names{"Notizen"}));
    EXPECT_EQ(frontName(), "Notizen");

    // The desktop for longer: the same application is activated again afterwards, and the
    // gap counts from the first empty report.
    front.report("");
    clock.advance(60ms);
    front.report("");
    clock.advance(40ms);
    EXPECT_EQ(frontName(), "<none>");
    EXPECT_FALSE(front.front().has_value());
    front.report("org.vontal.Notes");
    EXPECT_EQ(names, (Names{"Notizen", "Notizen"}));
    EXPECT_EQ(clock.activeTimers(), 0u);
}

TEST_F(ReportedFrontTest, AfterTheReporterIsGoneItsNextFirstReportIsTheStartAgain) {
    front.report("org.vontal.Notes");
    front.report("org.vontal.Editor");
    front.report(""); // a gap was under way
    front.forget();
    EXPECT_EQ(frontName(), "<none>");
    clock.advance(1s);

    front.report("org.vontal.Editor");
    EXPECT_EQ(names, (Names{"Editor"}));
    EXPECT_EQ(frontName(), "Editor");
    front.report("org.vontal.Notes");
    EXPECT_EQ(names, (Names{"Editor", "Notizen"}));

    front.awaitStartingReport();
    front.report("xterm");
    EXPECT_EQ(names, (Names{"Editor", "Notizen"}));
    EXPECT_EQ(frontName(), "XTerm");
}

} // namespace
} // namespace vontal
