// The line that asks for vontal's GNOME Shell extension, in an offscreen window, against the
// real Shell's org.gnome.Shell.Extensions (headless GNOME Shell 43).

#include "platform/frontmost/bus_name_claim.h"
#include "platform/frontmost/bus_reported_workspace.h"
#include "platform/gnome/shell_extension.h"
#include "tests/support/desktop/observer_support.h"
#include "tests/support/desktop/wayland_session.h"
#include "tests/ui/ui_fixture.h"
#include "ui/content_view.h"
#include "ui/status_line.h"
#include "ui/status_report.h"
#include "ui/two_line_label.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <csignal>

namespace vontal {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::processEventsUntil;
using testing::WaylandSession;

const fs::path kExtensions = VONTAL_GNOME_EXTENSIONS;

// The uuid of the form of vontal's extension that the installed Shell runs.
std::string formUuid() {
    return ShellExtension::uuidFor(QString::fromStdString(WaylandSession::gnomeShellVersion()))
        .toStdString();
}

class ExtensionNoticeTest : public UiFixture {
protected:
    // `beforeView` runs once the Shell is on the bus, before the window is made.
    void start(std::vector<fs::path> installed, const std::function<void()>& beforeView = {}) {
        root_ = fs::temp_directory_path() / ("vontal-gnome-notice-" + std::to_string(getpid()));
        session_ =
            std::make_unique<WaylandSession>(root_ / "session", WaylandSession::Compositor::Gnome,
                                             WaylandSession::GnomeSetup{std::move(installed), {}});
        // vontal looks for the installed extension where the Shell does.
        environment_.set("XDG_DATA_DIRS", session_->gnomeDataDir().c_str());
        bus_ = QDBusConnection::connectToBus(QString::fromStdString(session_->busAddress()),
                                             QStringLiteral("vontal"));
        extension_ = std::make_shared<ShellExtension>(bus_, diagnostics_);
        extension_->refresh();
        // The Shell is asked without waiting.
        ASSERT_TRUE(processEventsUntil(
            [&] { return extension_->state() != ShellExtension::State::Unknown; }, 20s));
        if (beforeView)
            beforeView();
        const DesktopStatus desktop{reported_ ? reported_->nameClaim() : nullptr, extension_,
                                    std::nullopt};
        status_ = std::make_unique<StatusReport>(*manager, StatusSources{nullptr, desktop},
                                                 uiDiagnostics);
        view_ = std::make_unique<ContentView>(*manager, loginItems, uiDiagnostics, status_.get());
        view_->show();
    }

    // The extension's line in the window, and its button; null while not shown.
    TwoLineLabel* notice() const {
        return view_->statusLine()->line(StatusReport::Topic::Extension);
    }
    QPushButton* switchOn() const {
        return view_->statusLine()->button(StatusReport::Topic::Extension);
    }
    bool noticeShown() const { return notice() && notice()->isVisible(); }
    bool switchOnShown() const { return switchOn() && switchOn()->isVisible(); }

    void TearDown() override {
        view_.reset();
        status_.reset();
        reported_.reset();
        extension_.reset();
        session_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("vontal"));
        fs::remove_all(root_);
    }

    bool lineSays(const std::string& words) const {
        return std::any_of(diagnostics_.lines.begin(), diagnostics_.lines.end(),
                           [&](const std::string& line) { return line.find(words) != line.npos; });
    }

    fs::path root_;
    testing::ScopedEnvironment environment_;
    std::unique_ptr<WaylandSession> session_;
    QDBusConnection bus_{QString()};
    testing::RecordingDiagnostics diagnostics_;
    std::shared_ptr<ShellExtension> extension_;
    std::unique_ptr<BusReportedWorkspace> reported_;
    std::unique_ptr<StatusReport> status_;
    std::unique_ptr<ContentView> view_;
};

TEST_F(ExtensionNoticeTest, AnInstalledExtensionIsSwitchedOnByTheUsersClick) {
    ASSERT_NO_FATAL_FAILURE(start({kExtensions / formUuid()}));
    ASSERT_EQ(extension_->state(), ShellExtension::State::Off);
    ASSERT_TRUE(noticeShown());
    EXPECT_EQ(notice()->fullText(),
              "Application names are not sent until the GNOME extension is switched on.");
    ASSERT_TRUE(switchOnShown());
    EXPECT_TRUE(lineSays("not sent until vontal's GNOME Shell extension"));
    // Nothing is switched on by itself.
    processEventsUntil([] { return false; }, 300ms);
    const auto before = session_->gnomeCall(
        "/org/gnome/Shell", "org.gnome.Shell.Extensions.GetExtensionInfo", {formUuid()});
    ASSERT_TRUE(before);
    EXPECT_EQ(before->find("'state': <1.0>"), std::string::npos) << *before;

    // The Shell is stopped while the click asks it: the window does not wait for its answer.
    const pid_t shell = session_->compositorPid();
    ASSERT_EQ(kill(shell, SIGSTOP), 0);
    QPushButton* const button = switchOn();
    const auto clicked = std::chrono::steady_clock::now();
    click(button);
    const auto clickTook = std::chrono::steady_clock::now() - clicked;
    const bool heldDuringTheClick = !button->isEnabled();
    ASSERT_EQ(kill(shell, SIGCONT), 0);
    // Far below the 25 s a blocking call waits.
    EXPECT_LT(clickTook, 10s);
    EXPECT_TRUE(heldDuringTheClick);
    ASSERT_TRUE(processEventsUntil([&] { return !noticeShown(); }, 10s));
    for (const auto& line : uiDiagnostics.lines())
        EXPECT_EQ(line.find("did not switch"), std::string::npos) << line;
    EXPECT_EQ(extension_->state(), ShellExtension::State::On);
    EXPECT_TRUE(lineSays("is on: application names are sent"));
    const auto after = session_->gnomeCall(
        "/org/gnome/Shell", "org.gnome.Shell.Extensions.GetExtensionInfo", {formUuid()});
    ASSERT_TRUE(after);
    EXPECT_NE(after->find("'state': <1.0>"), std::string::npos) << *after;
}

TEST_F(ExtensionNoticeTest, AnExtensionInstalledWhileTheShellRunsWaitsForTheNextLogin) {
    ASSERT_NO_FATAL_FAILURE(start({}));
    EXPECT_EQ(extension_->state(), ShellExtension::State::NotInstalled);
    ASSERT_TRUE(noticeShown());
    EXPECT_FALSE(switchOnShown());
    EXPECT_NE(notice()->fullText().indexOf(QStringLiteral("is not installed")), -1);

    fs::copy(kExtensions / formUuid(),
             session_->gnomeDataDir() / "gnome-shell" / "extensions" / formUuid(),
             fs::copy_options::recursive);
    extension_->refresh();
    EXPECT_TRUE(processEventsUntil(
        [&] { return extension_->state() == ShellExtension::State::NextLogin; }, 10s));
    // The window follows on the next turn of the loop.
    turnQtLoop();
    ASSERT_TRUE(noticeShown());
    EXPECT_FALSE(switchOnShown());
    EXPECT_NE(notice()->fullText().indexOf(QStringLiteral("next login")), -1);
    EXPECT_TRUE(lineSays("not sent until the next login"));
}

TEST_F(ExtensionNoticeTest, AnExtensionMadeForOlderShellsIsSaidToBeOutOfDate) {
    // vontal's extension as a release made before this Shell would have it.
    const fs::path old =
        fs::temp_directory_path() / ("vontal-old-" + std::to_string(getpid())) / formUuid();
    fs::create_directories(old);
    fs::copy(kExtensions / formUuid(), old, fs::copy_options::recursive);
    QFile metadata(QString::fromStdString((old / "metadata.json").string()));
    ASSERT_TRUE(metadata.open(QIODevice::ReadOnly));
    auto json = QJsonDocument::fromJson(metadata.readAll()).object();
    metadata.close();
    json.insert(QStringLiteral("shell-version"), QJsonArray{QStringLiteral("40")});
    ASSERT_TRUE(metadata.open(QIODevice::WriteOnly | QIODevice::Truncate));
    metadata.write(QJsonDocument(json).toJson());
    metadata.close();

    ASSERT_NO_FATAL_FAILURE(start({old}));
    fs::remove_all(old.parent_path());
    const QString major =
        QString::fromStdString(WaylandSession::gnomeShellVersion()).section(QLatin1Char('.'), 0, 0);
    EXPECT_EQ(extension_->state(), ShellExtension::State::OutOfDate);
    ASSERT_TRUE(noticeShown());
    EXPECT_FALSE(switchOnShown());
    EXPECT_EQ(notice()->fullText(),
              QStringLiteral("Application names are not sent: vontal's GNOME extension does not "
                             "support GNOME Shell %1 yet.")
                  .arg(major));
    EXPECT_TRUE(lineSays("does not support GNOME Shell " + major.toStdString() + " yet"));
}

// Another program holds vontal's bus name: the window says which, and stops saying it the
// moment vontal has the name.
TEST_F(ExtensionNoticeTest, AProgramHoldingVontalsNameIsShownUntilItLetsGo) {
    const QString name = QString::fromLatin1(BusReportedWorkspace::kBusName);
    QDBusConnection squatter{QString()};
    ASSERT_NO_FATAL_FAILURE(start({kExtensions / formUuid()}, [&] {
        squatter = QDBusConnection::connectToBus(QString::fromStdString(session_->busAddress()),
                                                 QStringLiteral("squatter"));
        ASSERT_EQ(squatter.interface()->registerService(name).value(),
                  QDBusConnectionInterface::ServiceRegistered);
        std::string whyNot;
        reported_ = BusReportedWorkspace::create(
            {bus_, QString::fromLatin1(ShellExtension::kShellName), {}, {}}, diagnostics_, whyNot);
        ASSERT_TRUE(reported_) << whyNot;
    }));
    const QString held =
        QStringLiteral("Application names are not sent: another program (%1, process %2) holds "
                       "vontal's name on the session bus. vontal takes the name as soon as that "
                       "program lets go of it.")
            .arg(QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName())
            .arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(
        processEventsUntil([&] { return view_->statusLine()->shownTexts().contains(held); }, 10s))
        << view_->statusLine()->shownTexts().join('|').toStdString();
    // The extension, still off, keeps its line and button beside it; the tray says the same.
    EXPECT_EQ(view_->statusLine()->shownTexts(),
              QStringList({"Looking for devices. Yours shows up here when it is switched on and "
                           "near this computer.",
                           held,
                           "Application names are not sent until the GNOME extension is switched "
                           "on."}));
    EXPECT_TRUE(switchOnShown());
    EXPECT_EQ(status_->texts(), view_->statusLine()->shownTexts());
    EXPECT_TRUE(lineSays("The bus name org.vontal.vontal is held by process " +
                         std::to_string(QCoreApplication::applicationPid())));

    EXPECT_TRUE(squatter.interface()->unregisterService(name).value());
    ASSERT_TRUE(
        processEventsUntil([&] { return !view_->statusLine()->shownTexts().contains(held); }, 10s));
    EXPECT_TRUE(reported_->nameClaim()->owned());
    EXPECT_TRUE(lineSays("vontal holds the bus name org.vontal.vontal now"));
    QDBusConnection::disconnectFromBus(QStringLiteral("squatter"));
}

} // namespace
} // namespace vontal

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
