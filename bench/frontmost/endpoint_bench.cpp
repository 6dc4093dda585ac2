// What a flood of calls to vontal's frontmost endpoint costs vontal: 300,000 calls that want no
// reply, from a stranger and then from the reporter's owner, sent by a separate process on a
// private session bus. Prints calls absorbed per second and vontal's memory (resident now, and
// the peak) before and after.
//   vontal_endpoint_bench [calls]
// The sender is this program again: vontal_endpoint_bench --send <address> <name|-> <calls>.
#include "platform/diagnostics.h"
#include "platform/frontmost/bus_reported_workspace.h"
#include "tests/support/desktop/session_bus.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

using namespace vontal;

constexpr const char* kReporter = "org.kde.KWin";

// VmRSS and VmHWM of this process, in KiB.
std::pair<long, long> memory() {
    std::ifstream status("/proc/self/status");
    long rss = 0, peak = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            rss = std::stol(line.substr(6));
        if (line.rfind("VmHWM:", 0) == 0)
            peak = std::stol(line.substr(6));
    }
    return {rss, peak};
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

// The sender: optionally takes the reporter's name, sends `calls` no-reply calls, then one that
// waits for its answer, which comes once vontal has received every call before it.
int send(const QString& address, const QString& name, int calls) {
    auto bus = QDBusConnection::connectToBus(address, QStringLiteral("sender"));
    if (name != QStringLiteral("-"))
        bus.interface()->registerService(name);
    for (int i = 0; i < calls; ++i)
        bus.send(
            reportMessage(i % 2 ? QStringLiteral("xterm") : QStringLiteral("org.gnome.Gedit")));
    bus.call(reportMessage(QStringLiteral("xterm")), QDBus::Block, 600'000);
    return 0;
}

class CountingDiagnostics final : public Diagnostics {
public:
    void line(std::string_view text) override {
        ++lines;
        last = std::string(text);
    }
    int lines = 0;
    std::string last;
};

void flood(QCoreApplication& app, const std::string& address, const char* name, int calls,
           const char* what) {
    const auto before = memory();
    QProcess sender;
    QElapsedTimer clock;
    clock.start();
    sender.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--send"), QString::fromStdString(address),
                  QString::fromLatin1(name), QString::number(calls)});
    QObject::connect(&sender, &QProcess::finished, &app, [&] { app.quit(); });
    app.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const auto after = memory();
    std::printf("%-30s %8d calls in %6.2f s: %9.0f calls/s; RSS %ld -> %ld KiB, peak %ld KiB\n",
                what, calls, seconds, calls / seconds, before.first, after.first, after.second);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::string(argv[1]) == "--send")
        return send(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                    std::stoi(argv[4]));
    const int calls = argc > 1 ? std::stoi(argv[1]) : 300'000;
    vontal::testing::SessionBus session(std::filesystem::temp_directory_path() /
                                        ("vontal-endpoint-bench-" + std::to_string(getpid())));
    CountingDiagnostics diagnostics;
    std::string whyNot;
    auto workspace = BusReportedWorkspace::create(
        {QDBusConnection::connectToBus(QString::fromStdString(session.address()),
                                       QStringLiteral("vontal")),
         QString::fromLatin1(kReporter), nullptr, nullptr},
        diagnostics, whyNot);
    if (!workspace) {
        std::cerr << whyNot << "\n";
        return 1;
    }
    flood(app, session.address(), "-", calls, "from a stranger");
    std::printf("%-30s %d log lines\n", "", diagnostics.lines);
    flood(app, session.address(), kReporter, calls, "from the reporter's owner");
    std::printf("%-30s front: %s\n", "", workspace->frontApplication().value_or("<none>").c_str());
    return 0;
}
