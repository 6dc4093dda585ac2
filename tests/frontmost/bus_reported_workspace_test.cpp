#include "platform/frontmost/bus_reported_workspace.h"
#include "platform/sim/virtual_clock.h"
#include "tests/x11/fake_catalog.h"
#include "tests/x11/observer_support.h"
#include "tests/x11/session_bus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <gtest/gtest.h>

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

// Calls ActiveApplicationChanged(id) from `caller`; the error name, empty on success.
QString report(QDBusConnection caller, const QString& id) {
    auto message =
        QDBusMessage::createMethodCall(QString::fromLatin1(BusReportedWorkspace::kBusName),
                                       QString::fromLatin1(BusReportedWorkspace::kObjectPath),
                                       QString::fromLatin1(BusReportedWorkspace::kInterface),
                                       QStringLiteral("ActiveApplicationChanged"));
    message << id;
    QDBusPendingCall call = caller.asyncCall(message);
    // The watcher wakes this thread's loop when the reply arrives.
    QDBusPendingCallWatcher watcher(call);
    bool finished = false;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, [&] { finished = true; });
    if (!processEventsUntil([&] { return finished; }, 10s))
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

    // A second vontal cannot take the name, and says so.
    RecordingDiagnostics otherDiagnostics;
    auto second = makeWorkspace(connect(QStringLiteral("vontal-2")), otherDiagnostics);
    EXPECT_FALSE(second.workspace);
    EXPECT_EQ(second.whyNot, "the bus name org.vontal.vontal is taken");

    EXPECT_EQ(report(kwin, "org.vontal.Notes"), "");
    EXPECT_EQ(frontName(workspace), "Notizen");
    EXPECT_TRUE(recorder.names.empty());
    EXPECT_EQ(report(kwin, "xterm"), "");
    EXPECT_EQ(recorder.names, (Names{"XTerm"}));

    // Anyone else is refused, twice, and changes nothing; the log says so once.
    const QString denied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
    EXPECT_EQ(report(intruder, "org.vontal.Notes"), denied);
    EXPECT_EQ(report(intruder, ""), denied);
    made.clock->advance(1s);
    EXPECT_EQ(recorder.names, (Names{"XTerm"}));
    EXPECT_EQ(frontName(workspace), "XTerm");
    ASSERT_EQ(diagnostics.lines.size(), 1u);
    EXPECT_EQ(diagnostics.lines[0], "Refused a report of the application in front from " +
                                        intruder.baseService().toStdString() +
                                        ", which is not org.kde.KWin");

    EXPECT_EQ(report(kwin, "org.vontal.Notes"), "");
    EXPECT_EQ(recorder.names, (Names{"XTerm", "Notizen"}));

    // The reporter restarts: the old connection is refused; the new one may call before the
    // bus's signal reaches us (the bus is asked), and its first report is where we start again.
    ASSERT_TRUE(kwin.interface()->unregisterService(QString::fromLatin1(kReporter)).isValid());
    auto restarted = connect(QStringLiteral("kwin-2"));
    ASSERT_TRUE(restarted.interface()->registerService(QString::fromLatin1(kReporter)).isValid());
    EXPECT_EQ(report(kwin, "xterm"), denied);
    EXPECT_EQ(report(restarted, "xterm"), "");
    EXPECT_EQ(workspace.reporterOwner(), restarted.baseService());
    EXPECT_EQ(frontName(workspace), "XTerm");
    EXPECT_EQ(report(restarted, "org.vontal.Notes"), "");
    EXPECT_EQ(recorder.names, (Names{"XTerm", "Notizen", "Notizen"}));
    EXPECT_FALSE(recorder.offMainThread);

    // Gone with the workspace: the name is free for the next vontal.
    made.workspace.reset();
    auto third = makeWorkspace(connect(QStringLiteral("vontal-3")), otherDiagnostics);
    EXPECT_TRUE(third.workspace) << third.whyNot;
    for (const char* name : {"kwin-1", "kwin-2", "intruder-1", "vontal-1", "vontal-2", "vontal-3"})
        QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
}

} // namespace
} // namespace vontal

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
