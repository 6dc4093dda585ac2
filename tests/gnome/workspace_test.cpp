// The GNOME observer under headless GNOME Shell 43 on a private session bus: vontal's own
// extension (the shipped files) reports; a test-only extension activates windows on request.

#include "platform/gnome/gnome_workspace.h"
#include "tests/support/desktop/observer_support.h"
#include "tests/support/desktop/wayland_session.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <csignal>
#include <fstream>

namespace vontal {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::deadlineIn;
using testing::Names;
using testing::processEventsUntil;
using testing::Recorder;
using testing::RecordingDiagnostics;
using testing::WaylandSession;

const fs::path kExtensions = VONTAL_GNOME_EXTENSIONS;
const fs::path kFocusForms = VONTAL_TEST_FOCUS_FORMS;

class GnomeWorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("vontal-gnome-" + std::to_string(getpid()));
        fs::create_directories(root_ / "data" / "applications");
        // vontal names the applications by its own entries, in German.
        testing::writeEntry(root_ / "data" / "applications" / "foot.desktop",
                            "Name=Foot\nName[de]=Fuß\nExec=foot\n");
        testing::writeEntry(root_ / "data" / "applications" / "gucharmap.desktop",
                            "Name=Characters\nName[de]=Zeichen\nExec=gucharmap\n");
        environment_.set("XDG_DATA_HOME", (root_ / "data-home").c_str());
        environment_.set("XDG_DATA_DIRS", (root_ / "data").c_str());
        environment_.set("LANGUAGE", "de");
        // The form of vontal's extension that vontal expects this Shell to run.
        const auto uuid =
            ShellExtension::uuidFor(QString::fromStdString(WaylandSession::gnomeShellVersion()))
                .toStdString();
        const auto focus = WaylandSession::gnomeExtensionForm(kFocusForms);
        ASSERT_FALSE(focus.empty())
            << "no test extension for GNOME Shell " << WaylandSession::gnomeShellVersion();
        session_ = std::make_unique<WaylandSession>(
            root_ / "session", WaylandSession::Compositor::Gnome,
            WaylandSession::GnomeSetup{{kExtensions / uuid, focus},
                                       {uuid, focus.filename().string()}});
        bus_ = QDBusConnection::connectToBus(QString::fromStdString(session_->busAddress()),
                                             QStringLiteral("vontal"));
    }

    void TearDown() override {
        session_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("vontal"));
        fs::remove_all(root_);
    }

    std::unique_ptr<GnomeWorkspace> connect(RecordingDiagnostics& diagnostics) {
        std::string whyNot;
        auto workspace = GnomeWorkspace::connect({bus_, {}, {}}, diagnostics, whyNot);
        EXPECT_NE(workspace, nullptr) << whyNot;
        return workspace;
    }

    // Activates the window with this title or application id and waits until the Shell gave it
    // the focus; false if it has no such window by the deadline.
    bool activate(const std::string& wanted) {
        const auto deadline = deadlineIn(20s);
        while (std::chrono::steady_clock::now() < deadline) {
            const auto done = session_->gnomeCall("/org/vontal/test/Focus",
                                                  "org.vontal.test.Focus.Activate", {wanted});
            if (done && done->find("true") != std::string::npos) {
                for (int i = 0; i < 100; ++i) {
                    const auto focused = focusedWindow();
                    if (focused.find(wanted + ".desktop|") == 0 || focused.ends_with("|" + wanted))
                        return true;
                    processEventsUntil([] { return false; }, 20ms);
                }
            }
            processEventsUntil([] { return false; }, 100ms);
        }
        return false;
    }

    // "<application id>|<title>" of the focused window, "" when none has the focus.
    std::string focusedWindow() {
        auto reply = session_->gnomeCall("/org/vontal/test/Focus", "org.vontal.test.Focus.Focused");
        if (!reply)
            return {};
        const auto open = reply->find('\'');
        const auto close = reply->rfind('\'');
        return open == std::string::npos || close <= open
                   ? std::string()
                   : reply->substr(open + 1, close - open - 1);
    }

    bool overview(bool active) {
        return session_
            ->gnomeCall("/org/gnome/Shell", "org.freedesktop.DBus.Properties.Set",
                        {"org.gnome.Shell", "OverviewActive", active ? "<true>" : "<false>"})
            .has_value();
    }

    static bool recorded(const Recorder& recorder, std::size_t count) {
        return processEventsUntil([&] { return recorder.names.size() >= count; }, 10s);
    }

    fs::path root_;
    testing::ScopedEnvironment environment_;
    std::unique_ptr<WaylandSession> session_;
    QDBusConnection bus_{QString()};
};

TEST_F(GnomeWorkspaceTest, SwitchesBetweenApplicationsAreActivationsAndWindowsOfOneAreNot) {
    session_->launch({"foot", "--title", "foot-one"});
    session_->launch({"gucharmap"});
    ASSERT_TRUE(activate("gucharmap"));
    ASSERT_TRUE(activate("foot-one"));

    // vontal starts after the Shell: what is in front is known, and no activation.
    RecordingDiagnostics diagnostics;
    auto workspace = connect(diagnostics);
    ASSERT_NE(workspace, nullptr);
    EXPECT_TRUE(processEventsUntil(
        [&] { return workspace->extension()->state() == ShellExtension::State::On; }, 10s));
    Recorder recorder;
    auto subscription = workspace->observeActivations(recorder.observer());
    ASSERT_TRUE(processEventsUntil([&] { return workspace->frontApplication().has_value(); }, 10s));
    ASSERT_NE(workspace->frontmostApplication(), nullptr);
    EXPECT_EQ(workspace->frontmostApplication()->localizedName, "Fuß");

    // A → B → A.
    ASSERT_TRUE(activate("gucharmap"));
    ASSERT_TRUE(recorded(recorder, 1));
    ASSERT_TRUE(activate("foot-one"));
    ASSERT_TRUE(recorded(recorder, 2));

    // A second window of the application in front, and back: no activation. The next switch
    // shows that nothing came in between.
    session_->launch({"foot", "--title", "foot-two"});
    ASSERT_TRUE(activate("foot-two"));
    ASSERT_TRUE(activate("foot-one"));
    ASSERT_TRUE(activate("gucharmap"));
    ASSERT_TRUE(recorded(recorder, 3));
    EXPECT_EQ(recorder.names, (Names{"Zeichen", "Fuß", "Zeichen"}));
    EXPECT_FALSE(recorder.offMainThread);
    EXPECT_EQ(workspace->frontmostApplication()->localizedName, "Zeichen");

    // The Shell's own surfaces are no application: after the overview, the same one again is an
    // activation.
    ASSERT_TRUE(overview(true));
    ASSERT_TRUE(processEventsUntil([&] { return !workspace->frontApplication(); }, 10s));
    EXPECT_EQ(workspace->frontmostApplication(), nullptr);
    ASSERT_TRUE(overview(false));
    ASSERT_TRUE(recorded(recorder, 4));
    EXPECT_EQ(recorder.names.back(), "Zeichen");
}

TEST_F(GnomeWorkspaceTest, OnlyTheShellIsHeard) {
    session_->launch({"foot", "--title", "foot-one"});
    ASSERT_TRUE(activate("foot-one"));
    RecordingDiagnostics diagnostics;
    auto workspace = connect(diagnostics);
    ASSERT_NE(workspace, nullptr);
    Recorder recorder;
    auto subscription = workspace->observeActivations(recorder.observer());
    // A guard, not a timing: the Shell first asks the bus whose process holds vontal's name.
    ASSERT_TRUE(processEventsUntil(
        [&] {
            const auto front = workspace->frontmostApplication();
            return front && front->localizedName == "Fuß";
        },
        10s))
        << "front: " << workspace->frontApplication().value_or("<none>")
        << "; focused: " << focusedWindow() << "; overview: "
        << session_
               ->gnomeCall("/org/gnome/Shell", "org.freedesktop.DBus.Properties.Get",
                           {"org.gnome.Shell", "OverviewActive"})
               .value_or("<no answer>")
        << "; log: " << ::testing::PrintToString(diagnostics.lines);
    const auto heard = recorder.names.size();

    // Another program on the bus claims an activation: refused, nothing changes.
    auto stranger = QDBusConnection::connectToBus(QString::fromStdString(session_->busAddress()),
                                                  QStringLiteral("stranger"));
    auto call =
        QDBusMessage::createMethodCall(QString::fromLatin1(BusReportedWorkspace::kBusName),
                                       QString::fromLatin1(BusReportedWorkspace::kObjectPath),
                                       QString::fromLatin1(BusReportedWorkspace::kInterface),
                                       QStringLiteral("ActiveApplicationChanged"));
    call << QStringLiteral("gucharmap");
    auto pending = stranger.asyncCall(call);
    ASSERT_TRUE(processEventsUntil([&] { return pending.isFinished(); }, 10s));
    EXPECT_TRUE(pending.isError());
    EXPECT_EQ(workspace->frontmostApplication()->localizedName, "Fuß");
    EXPECT_EQ(recorder.names.size(), heard);
    QDBusConnection::disconnectFromBus(QStringLiteral("stranger"));

    // A second vontal waits for the name and hears nothing meanwhile.
    RecordingDiagnostics otherDiagnostics;
    std::string whyNot;
    auto other = QDBusConnection::connectToBus(QString::fromStdString(session_->busAddress()),
                                               QStringLiteral("vontal-2"));
    auto second = GnomeWorkspace::connect({other, {}, {}}, otherDiagnostics, whyNot);
    ASSERT_NE(second, nullptr) << whyNot;
    const std::string held = "is held by process " + std::to_string(getpid()) + " (";
    EXPECT_TRUE(processEventsUntil(
        [&] {
            return std::any_of(
                otherDiagnostics.lines.begin(), otherDiagnostics.lines.end(),
                [&](const std::string& line) { return line.find(held) != line.npos; });
        },
        10s));
    EXPECT_FALSE(second->frontApplication());
    second.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("vontal-2"));
}

// A program of the user took vontal's name first: the extension tells it nothing, and vontal
// takes the name and hears what is in front the moment the program lets go.
TEST_F(GnomeWorkspaceTest, ASquatterHearsNothingAndVontalTakesTheNameWhenItGoes) {
    session_->launch({"foot", "--title", "foot-one"});
    session_->launch({"gucharmap"});
    ASSERT_TRUE(activate("foot-one"));
    const pid_t squatter = session_->launch({"gjs", "-m", VONTAL_TEST_SQUATTER});
    const QString name = QString::fromLatin1(BusReportedWorkspace::kBusName);
    ASSERT_TRUE(processEventsUntil(
        [&] { return bus_.interface()->isServiceRegistered(name).value(); }, 20s));

    RecordingDiagnostics diagnostics;
    auto workspace = connect(diagnostics);
    ASSERT_NE(workspace, nullptr);
    const std::string held =
        "The bus name org.vontal.vontal is held by process " + std::to_string(squatter) + " (";
    ASSERT_TRUE(processEventsUntil(
        [&] {
            return std::any_of(diagnostics.lines.begin(), diagnostics.lines.end(),
                               [&](const std::string& line) { return line.starts_with(held); });
        },
        10s));
    ASSERT_TRUE(activate("gucharmap"));
    ASSERT_TRUE(activate("foot-one"));
    EXPECT_FALSE(workspace->frontApplication());

    ::kill(squatter, SIGTERM);
    ASSERT_TRUE(processEventsUntil(
        [&] {
            const auto front = workspace->frontmostApplication();
            return front && front->localizedName == "Fuß";
        },
        20s));
    std::ifstream log(session_->workDir() / "programs.log");
    const std::string said((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(said.find("owner"), std::string::npos) << said;
    EXPECT_EQ(said.find("call "), std::string::npos) << said;
}

} // namespace
} // namespace vontal

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
