// The KDE observer under headless KWin (5.27 here) on a private session bus: vontal's own script
// reports; a test-only script activates windows on request.

#include "platform/kde/kde_workspace.h"
#include "platform/kde/kwin_script.h"
#include "tests/support/desktop/observer_support.h"
#include "tests/support/desktop/wayland_session.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <unistd.h>

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

const std::string kTerminal = "org.freedesktop.weston.wayland-terminal";

class KdeWorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("vontal-kde-" + std::to_string(getpid()));
        fs::create_directories(root_ / "data" / "applications");
        // The terminal by its desktop file name; xterm by its class, which KWin gives lower-cased.
        testing::writeEntry(root_ / "data" / "applications" / (kTerminal + ".desktop"),
                            "Name=Terminal\nName[de]=Konsole\nExec=weston-terminal\n");
        testing::writeEntry(
            root_ / "data" / "applications" / "vontal-xterm.desktop",
            "Name=X Terminal\nName[de]=X-Konsole\nExec=xterm\nStartupWMClass=XTerm\n");
        environment_.set("XDG_DATA_HOME", (root_ / "data-home").c_str());
        environment_.set("XDG_DATA_DIRS", (root_ / "data").c_str());
        environment_.set("LANGUAGE", "de");
        session_ =
            std::make_unique<WaylandSession>(root_ / "session", WaylandSession::Compositor::Kwin);
        bus_ = QDBusConnection::connectToBus(QString::fromStdString(session_->busAddress()),
                                             QStringLiteral("vontal"));
        // KWin reads the script as its own user.
        script_ = root_ / "session" / "vontal-frontmost.js";
        fs::copy_file(VONTAL_KWIN_SCRIPT, script_);
        fs::permissions(script_, fs::perms::owner_read | fs::perms::others_read);
    }

    void TearDown() override {
        session_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("vontal"));
        fs::remove_all(root_);
    }

    std::unique_ptr<KdeWorkspace> connect(RecordingDiagnostics& diagnostics, std::string& whyNot) {
        return KdeWorkspace::connect({bus_, QString::fromStdString(script_.string()), {}, {}},
                                     diagnostics, whyNot);
    }

    bool activate(pid_t pid) {
        return session_->kwinActivate(std::to_string(pid), deadlineIn(20s));
    }

    bool scriptLoaded() {
        auto message = QDBusMessage::createMethodCall(
            QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
            QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("isScriptLoaded"));
        message << QString::fromLatin1(KwinScript::kPluginName);
        const auto reply = bus_.call(message);
        return !reply.arguments().isEmpty() && reply.arguments().first().toBool();
    }

    testing::ScopedEnvironment environment_;
    fs::path root_;
    fs::path script_;
    std::unique_ptr<WaylandSession> session_;
    QDBusConnection bus_{QString()};
};

// Whether `caller` is refused when it reports an application.
bool refused(const QDBusConnection& caller) {
    auto message = QDBusMessage::createMethodCall(
        QStringLiteral("org.vontal.vontal"), QStringLiteral("/org/vontal/vontal/Frontmost"),
        QStringLiteral("org.vontal.vontal.Frontmost"), QStringLiteral("ActiveApplicationChanged"));
    message << QStringLiteral("xterm");
    QDBusPendingCallWatcher watcher(caller.asyncCall(message));
    bool done = false;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, [&] { done = true; });
    return processEventsUntil([&] { return done; }, 10s) && watcher.isError() &&
           watcher.error().type() == QDBusError::AccessDenied;
}

TEST_F(KdeWorkspaceTest, SwitchesKwinRestartsAndStrangersFollowTheActivationRules) {
    const pid_t first = session_->launch({"weston-terminal"});
    ASSERT_TRUE(activate(first));

    RecordingDiagnostics diagnostics;
    std::string whyNot;
    auto workspace = connect(diagnostics, whyNot);
    ASSERT_TRUE(workspace) << whyNot;
    EXPECT_TRUE(scriptLoaded());
    Recorder recorder;
    auto observing = workspace->observeActivations(recorder.observer());
    // The start is where we are, not an activation.
    ASSERT_TRUE(processEventsUntil(
        [&] { return workspace->frontApplication() == kTerminal + ".desktop"; }, 10s));
    ASSERT_TRUE(workspace->frontmostApplication());
    EXPECT_EQ(workspace->frontmostApplication()->localizedName, "Konsole");

    // A second vontal waits for the name and loads no script meanwhile; the first keeps hearing
    // KWin, and its script stays when the second goes.
    RecordingDiagnostics otherDiagnostics;
    auto otherBus = QDBusConnection::connectToBus(QString::fromStdString(session_->busAddress()),
                                                  QStringLiteral("second"));
    std::string otherWhyNot;
    auto waiting =
        KdeWorkspace::connect({otherBus, QString::fromStdString(script_.string()), {}, {}},
                              otherDiagnostics, otherWhyNot);
    ASSERT_TRUE(waiting) << otherWhyNot;
    EXPECT_EQ(waiting->scriptLoads(), 0u);
    ASSERT_TRUE(processEventsUntil([&] { return !otherDiagnostics.lines.empty(); }, 10s));
    EXPECT_EQ(otherDiagnostics.lines[0].rfind("The bus name org.vontal.vontal is held by process " +
                                                  std::to_string(getpid()) + " (",
                                              0),
              0u)
        << otherDiagnostics.lines[0];
    waiting.reset();
    EXPECT_TRUE(scriptLoaded());
    EXPECT_EQ(workspace->scriptLoads(), 1u);

    // An X11 program on Xwayland, by its lower-cased class; a second window of the terminal;
    // the first terminal again (same application: nothing); the X11 program again.
    const pid_t xterm = session_->launch({"xterm"});
    ASSERT_TRUE(activate(xterm));
    ASSERT_TRUE(processEventsUntil([&] { return recorder.names.size() == 1; }, 10s));
    const pid_t second = session_->launch({"weston-terminal"});
    ASSERT_TRUE(activate(second));
    ASSERT_TRUE(processEventsUntil([&] { return recorder.names.size() == 2; }, 10s));
    ASSERT_TRUE(activate(first));
    ASSERT_TRUE(activate(xterm));
    ASSERT_TRUE(processEventsUntil([&] { return recorder.names.size() == 3; }, 10s));
    EXPECT_EQ(recorder.names, (Names{"X-Konsole", "Konsole", "X-Konsole"}));
    EXPECT_EQ(workspace->frontmostApplication()->localizedName, "X-Konsole");

    // Anyone but KWin is refused and changes nothing; the log says so.
    EXPECT_TRUE(refused(otherBus));
    EXPECT_EQ(workspace->frontApplication(), "vontal-xterm.desktop");
    EXPECT_EQ(diagnostics.lines,
              (std::vector<std::string>{"Ignored a report of the application in front from " +
                                        otherBus.baseService().toStdString() +
                                        ", which is not org.kde.KWin"}));
    QDBusConnection::disconnectFromBus(QStringLiteral("second"));

    // KWin restarts: the script is loaded into the new one, whose first report is the start.
    session_->restartKwin();
    ASSERT_TRUE(processEventsUntil([&] { return workspace->scriptLoads() == 2; }, 20s));
    EXPECT_TRUE(scriptLoaded());
    const pid_t later = session_->launch({"weston-terminal"});
    ASSERT_TRUE(activate(later));
    ASSERT_TRUE(processEventsUntil([&] { return recorder.names.size() == 4; }, 10s));
    EXPECT_EQ(recorder.names.back(), "Konsole");
    EXPECT_FALSE(recorder.offMainThread);
    EXPECT_EQ(diagnostics.lines.size(), 1u);

    // vontal quits: its script goes.
    workspace.reset();
    EXPECT_FALSE(scriptLoaded());
}

// A program holds vontal's name first: no script runs for it (it would report there), and the
// moment the name is vontal's the script is loaded and tells what is in front.
TEST_F(KdeWorkspaceTest, TheScriptWaitsUntilVontalHoldsItsName) {
    const pid_t terminal = session_->launch({"weston-terminal"});
    ASSERT_TRUE(activate(terminal));
    auto squatter = QDBusConnection::connectToBus(QString::fromStdString(session_->busAddress()),
                                                  QStringLiteral("squatter"));
    const QString name = QStringLiteral("org.vontal.vontal");
    ASSERT_EQ(squatter.interface()->registerService(name).value(),
              QDBusConnectionInterface::ServiceRegistered);

    RecordingDiagnostics diagnostics;
    std::string whyNot;
    auto workspace = connect(diagnostics, whyNot);
    ASSERT_TRUE(workspace) << whyNot;
    EXPECT_EQ(workspace->scriptLoads(), 0u);
    EXPECT_FALSE(scriptLoaded());

    EXPECT_TRUE(squatter.interface()->unregisterService(name).value());
    ASSERT_TRUE(processEventsUntil([&] { return workspace->scriptLoads() == 1; }, 10s));
    EXPECT_TRUE(scriptLoaded());
    ASSERT_TRUE(processEventsUntil(
        [&] { return workspace->frontApplication() == kTerminal + ".desktop"; }, 10s));
    QDBusConnection::disconnectFromBus(QStringLiteral("squatter"));
}

} // namespace
} // namespace vontal

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
