#include "platform/frontmost/bus_name_claim.h"
#include "platform/frontmost/bus_reported_workspace.h"
#include "tests/support/desktop/fake_catalog.h"
#include "tests/support/desktop/observer_support.h"
#include "tests/support/desktop/session_bus.h"
#include "tests/support/sim/virtual_clock.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace vontal {
namespace {

using namespace std::chrono_literals;
using testing::Names;
using testing::processEventsUntil;
using testing::Recorder;
using testing::RecordingDiagnostics;

constexpr const char* kReporter = "org.kde.KWin";

// One private session bus for the whole process; each test connects anew.
testing::SessionBus& bus() {
    static testing::SessionBus session(std::filesystem::temp_directory_path() /
                                       ("vontal-bus-" + std::to_string(getpid())));
    return session;
}

QDBusConnection connect(const QString& name) {
    return QDBusConnection::connectToBus(QString::fromStdString(bus().address()), name);
}

struct Workspace {
    std::unique_ptr<BusReportedWorkspace> workspace;
    VirtualClock* clock = nullptr;
    std::string whyNot;
};

Workspace makeWorkspace(const QDBusConnection& connection, RecordingDiagnostics& diagnostics) {
    auto catalog = std::make_unique<FakeCatalog>();
    catalog->add("org.vontal.Notes.desktop", "Notizen");
    catalog->add("xterm.desktop", "XTerm");
    catalog->addWmClass("xterm", "xterm.desktop");
    auto clock = std::make_unique<VirtualClock>();
    Workspace made;
    made.clock = clock.get();
    made.workspace = BusReportedWorkspace::create(
        {connection, QString::fromLatin1(kReporter), std::move(catalog), std::move(clock)},
        diagnostics, made.whyNot);
    return made;
}

QDBusMessage reportMessage(const QString& id) {
    auto message =
        QDBusMessage::createMethodCall(QString::fromLatin1(BusReportedWorkspace::kBusName),
                                       QString::fromLatin1(BusReportedWorkspace::kObjectPath),
                                       QString::fromLatin1(BusReportedWorkspace::kInterface),
                                       QStringLiteral("ActiveApplicationChanged"));
    message << id;
    return message;
}

// Calls ActiveApplicationChanged(id) from `caller`; the error name, empty on success. The bus
// keeps one sender's messages in order, so every call sent before has been received by then.
QString report(QDBusConnection caller, const QString& id, std::chrono::milliseconds timeout = 10s) {
    QDBusPendingCall call = caller.asyncCall(reportMessage(id));
    // The watcher wakes this thread's loop when the reply arrives.
    QDBusPendingCallWatcher watcher(call);
    bool finished = false;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, [&] { finished = true; });
    if (!processEventsUntil([&] { return finished; }, timeout))
        return QStringLiteral("timeout");
    return call.isError() ? call.error().name() : QString();
}

std::optional<std::string> frontName(const BusReportedWorkspace& workspace) {
    const auto app = workspace.frontmostApplication();
    return app ? app->localizedName : std::optional<std::string>("<none>");
}

TEST(BusReportedWorkspace, OnlyTheReportersOwnerIsHeardAndOnlyOneVontalServes) {
    RecordingDiagnostics diagnostics;
    auto kwin = connect(QStringLiteral("kwin-1"));
    auto intruder = connect(QStringLiteral("intruder-1"));
    ASSERT_TRUE(kwin.interface()->registerService(QString::fromLatin1(kReporter)).isValid());

    auto made = makeWorkspace(connect(QStringLiteral("vontal-1")), diagnostics);
    ASSERT_TRUE(made.workspace) << made.whyNot;
    auto& workspace = *made.workspace;
    EXPECT_EQ(workspace.reporterOwner(), kwin.baseService());
    Recorder recorder;
    auto observing = workspace.observeActivations(recorder.observer());

    // Reports are handled on the next turn of the event loop.
    const auto handled = [&] {
        made.clock->advance(0ms);
    };

    EXPECT_EQ(report(kwin, "org.vontal.Notes"), "");
    handled();
    EXPECT_EQ(frontName(workspace), "Notizen");
    EXPECT_TRUE(recorder.names.empty());
    EXPECT_EQ(report(kwin, "xterm"), "");
    handled();
    EXPECT_EQ(recorder.names, (Names{"XTerm"}));

    // Anyone else is refused, twice, and changes nothing; the log says so once.
    const QString denied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
    EXPECT_EQ(report(intruder, "org.vontal.Notes"), denied);
    EXPECT_EQ(report(intruder, ""), denied);
    made.clock->advance(1s);
    EXPECT_EQ(recorder.names, (Names{"XTerm"}));
    EXPECT_EQ(frontName(workspace), "XTerm");
    const std::string intruderName = intruder.baseService().toStdString();
    EXPECT_EQ(diagnostics.lines,
              (std::vector<std::string>{
                  "Ignored a report of the application in front from " + intruderName +
                      ", which is not org.kde.KWin",
                  "Ignored 1 more report of the application in front in the last second from " +
                      intruderName + ", which is not org.kde.KWin"}));

    EXPECT_EQ(report(kwin, "org.vontal.Notes"), "");
    handled();
    EXPECT_EQ(recorder.names, (Names{"XTerm", "Notizen"}));

    // The reporter restarts: the old connection is refused; the new one may call before the
    // bus's signal reaches us (the bus is asked), and its first report is where we start again.
    ASSERT_TRUE(kwin.interface()->unregisterService(QString::fromLatin1(kReporter)).isValid());
    auto restarted = connect(QStringLiteral("kwin-2"));
    ASSERT_TRUE(restarted.interface()->registerService(QString::fromLatin1(kReporter)).isValid());
    EXPECT_EQ(report(kwin, "xterm"), denied);
    EXPECT_EQ(report(restarted, "xterm"), "");
    handled();
    EXPECT_EQ(workspace.reporterOwner(), restarted.baseService());
    EXPECT_EQ(frontName(workspace), "XTerm");
    EXPECT_EQ(report(restarted, "org.vontal.Notes"), "");
    handled();
    EXPECT_EQ(recorder.names, (Names{"XTerm", "Notizen", "Notizen"}));
    EXPECT_FALSE(recorder.offMainThread);
    for (const char* name : {"kwin-1", "kwin-2", "intruder-1", "vontal-1"})
        QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
}

// 100,000 calls from a stranger cost one log line a second and change nothing; 100,000 from
// the reporter are handled once, and the last one wins.
TEST(BusReportedWorkspace, FloodsAreAbsorbed) {
    RecordingDiagnostics diagnostics;
    auto kwin = connect(QStringLiteral("kwin-flood"));
    auto stranger = connect(QStringLiteral("stranger-flood"));
    ASSERT_TRUE(kwin.interface()->registerService(QString::fromLatin1(kReporter)).isValid());
    auto made = makeWorkspace(connect(QStringLiteral("vontal-flood")), diagnostics);
    ASSERT_TRUE(made.workspace) << made.whyNot;
    Recorder recorder;
    auto observing = made.workspace->observeActivations(recorder.observer());
    ASSERT_EQ(report(kwin, "org.vontal.Notes"), "");
    made.clock->advance(0ms);
    ASSERT_EQ(frontName(*made.workspace), "Notizen");

    constexpr int kFlood = 100'000;
    // send() asks for no reply, as the desktop's reporters do.
    for (int i = 0; i < kFlood; ++i)
        stranger.send(reportMessage(i % 2 ? QStringLiteral("xterm") : QStringLiteral("")));
    // Behind the flood, on a loaded machine.
    EXPECT_EQ(report(stranger, "xterm", 60s),
              QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
    made.clock->advance(0ms);
    const std::string strangerName = stranger.baseService().toStdString();
    ASSERT_EQ(diagnostics.lines.size(), 1u);
    made.clock->advance(1s);
    made.clock->advance(1s);
    EXPECT_EQ(diagnostics.lines,
              (std::vector<std::string>{
                  "Ignored a report of the application in front from " + strangerName +
                      ", which is not org.kde.KWin",
                  "Ignored " + std::to_string(kFlood) +
                      " more reports of the application in front in the last second from " +
                      strangerName + ", which is not org.kde.KWin"}));
    EXPECT_EQ(frontName(*made.workspace), "Notizen");
    EXPECT_TRUE(recorder.names.empty());

    // The reporter alternates between two applications; only where it ends counts.
    for (int i = 0; i < kFlood; ++i)
        kwin.send(
            reportMessage(i % 2 ? QStringLiteral("org.vontal.Notes") : QStringLiteral("xterm")));
    ASSERT_EQ(report(kwin, "xterm", 60s), "");
    made.clock->advance(0ms);
    EXPECT_EQ(recorder.names, (Names{"XTerm"}));
    EXPECT_EQ(frontName(*made.workspace), "XTerm");
    EXPECT_EQ(diagnostics.lines.size(), 2u);
    for (const char* name : {"kwin-flood", "stranger-flood", "vontal-flood"})
        QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
}

// A program that took vontal's name first: vontal says who holds it, waits in the queue, and
// serves the moment the name is free. A second vontal waits behind the first the same way.
TEST(BusReportedWorkspace, TakesItsNameTheMomentASquatterLetsGo) {
    RecordingDiagnostics diagnostics;
    auto kwin = connect(QStringLiteral("kwin-squat"));
    auto squatter = connect(QStringLiteral("squatter"));
    ASSERT_TRUE(kwin.interface()->registerService(QString::fromLatin1(kReporter)).isValid());
    const QString name = QString::fromLatin1(BusReportedWorkspace::kBusName);
    ASSERT_EQ(squatter.interface()->registerService(name).value(),
              QDBusConnectionInterface::ServiceRegistered);

    auto made = makeWorkspace(connect(QStringLiteral("vontal-squat")), diagnostics);
    ASSERT_TRUE(made.workspace) << made.whyNot;
    const BusNameClaim* claim = made.workspace->nameClaim().get();
    int acquired = 0;
    QObject::connect(claim, &BusNameClaim::acquired, [&] { ++acquired; });
    EXPECT_FALSE(claim->owned());
    ASSERT_TRUE(processEventsUntil([&] { return !diagnostics.lines.empty(); }, 10s));
    const std::string self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe")).toStdString();
    EXPECT_EQ(diagnostics.lines,
              (std::vector<std::string>{
                  "The bus name org.vontal.vontal is held by process " + std::to_string(getpid()) +
                  " (" + self +
                  "), not by vontal: application names are not sent until it lets go of the "
                  "name, and vontal takes it then"}));
    ASSERT_TRUE(claim->holder());
    EXPECT_EQ(claim->holder()->uniqueName, squatter.baseService());
    EXPECT_EQ(claim->holder()->pid, static_cast<quint32>(getpid()));

    // Nobody can push vontal out of the queue's head once the name is free.
    EXPECT_EQ(squatter.interface()->unregisterService(name).value(), true);
    ASSERT_TRUE(processEventsUntil([&] { return claim->owned(); }, 10s));
    EXPECT_EQ(acquired, 1);
    EXPECT_FALSE(claim->holder());
    EXPECT_EQ(squatter.interface()
                  ->registerService(name, QDBusConnectionInterface::ReplaceExistingService)
                  .value(),
              QDBusConnectionInterface::ServiceNotRegistered);
    ASSERT_EQ(diagnostics.lines.size(), 2u);
    EXPECT_EQ(diagnostics.lines[1], "vontal holds the bus name org.vontal.vontal now: the "
                                    "desktop's reports of the application in front reach it");
    EXPECT_EQ(report(kwin, "xterm"), "");
    made.clock->advance(0ms);
    EXPECT_EQ(frontName(*made.workspace), "XTerm");

    // A second vontal queues, and takes over when the first quits.
    RecordingDiagnostics otherDiagnostics;
    auto second = makeWorkspace(connect(QStringLiteral("vontal-squat-2")), otherDiagnostics);
    ASSERT_TRUE(second.workspace) << second.whyNot;
    ASSERT_TRUE(processEventsUntil([&] { return !otherDiagnostics.lines.empty(); }, 10s));
    made.workspace.reset();
    ASSERT_TRUE(processEventsUntil([&] { return second.workspace->nameClaim()->owned(); }, 10s));
    for (const char* name : {"kwin-squat", "squatter", "vontal-squat", "vontal-squat-2"})
        QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
}

} // namespace
} // namespace vontal

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
