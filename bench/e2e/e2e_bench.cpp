// How long the main job takes on a real desktop. vontal runs under Xvfb and openbox (or headless
// sway) with four connected devices (the BlueZ stand-in on a private system bus, stamping each
// write as it arrives) and a bare watcher beside it. Two windows are activated in turn by sending
// the window manager _NET_ACTIVE_WINDOW from here (on sway, a focus command on its IPC socket),
// and each activation is timed from just before that request to
//   - the bare watcher posting it (the floor set by the display server, the window manager and
//     the resolution),
//   - the stand-in taking vontal's name write off the bus, for the first and the last device.
// The bus and the stand-in's dispatch are also timed on their own, with calls from here.
//
// On KWin the windows are activated by a test-only KWin script loaded per request, and vontal's own
// script reports to vontal's bus name, which only one process may own: there is no bare watcher.
// Its place is taken by the script's call to vontal as a monitor on the session bus sees it, and
// vontal's own share is timed from that call to the writes.
//
// Not a test; run by hand (it starts a private system bus when it has none):
//   vontal_e2e_bench [activations=200] [devices=4] [x11|sway|kwin|gnome]

#include "bus_monitor.h"
#include "latency.h"
#include "sway_ipc.h"
#include "tests/support/bluez/bluez_mock_client.h"
#include "tests/support/bluez/qt_wait.h"
#include "tests/support/e2e/vontal_environment.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>
#include <unistd.h>

namespace vontal::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;

struct Options {
    int activations = 200;
    int devices = 4;
    enum class Desktop { X11, Sway, Kwin, Gnome } desktop = Desktop::X11;
};

const char* desktopName(Options::Desktop desktop) {
    switch (desktop) {
    case Options::Desktop::Sway:
        return "sway";
    case Options::Desktop::Kwin:
        return "KWin";
    case Options::Desktop::Gnome:
        return "GNOME Shell";
    case Options::Desktop::X11:
        break;
    }
    return "X11";
}

// A write without response as the stand-in saw it.
struct CommandTime {
    std::string address;
    QByteArray value;
    std::int64_t arrival = 0;
    std::int64_t handled = 0;
};

QDBusMessage callMock(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(QStringLiteral("org.bluez"), QStringLiteral("/"),
                                       QStringLiteral("org.vontal.BluezMock"), method);
    message.setArguments(arguments);
    return QDBusConnection::systemBus().call(message);
}

std::vector<CommandTime> commandTimes(unsigned first) {
    std::vector<CommandTime> result;
    const QDBusMessage reply = callMock(QStringLiteral("CommandTimes"), {first});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return result;
    const QDBusArgument argument = reply.arguments().first().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString address;
        CommandTime time;
        quint64 arrival = 0, handled = 0;
        argument.beginStructure();
        argument >> address >> time.value >> arrival >> handled;
        argument.endStructure();
        time.address = address.toStdString();
        time.arrival = static_cast<std::int64_t>(arrival);
        time.handled = static_cast<std::int64_t>(handled);
        result.push_back(std::move(time));
    }
    argument.endArray();
    return result;
}

// The bare watcher's lines: "<CLOCK_MONOTONIC ns> <name>".
class WatcherOutput {
public:
    explicit WatcherOutput(QProcess& process) : process_(process) {}

    std::optional<std::string> nextLine(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left <= 0ms || !process_.waitForReadyRead(static_cast<int>(left.count())))
                return std::nullopt;
            buffer_ += process_.readAllStandardOutput().toStdString();
        }
    }

    // The time at which `name` was posted; activations of anything else are skipped.
    std::optional<std::int64_t> timeOf(const std::string& name, std::chrono::milliseconds timeout) {
        while (const auto line = nextLine(timeout)) {
            const auto space = line->find(' ');
            if (space != std::string::npos && line->substr(space + 1) == name)
                return std::strtoll(line->c_str(), nullptr, 10);
        }
        return std::nullopt;
    }

private:
    QProcess& process_;
    std::string buffer_;
};

// What a pager does when the user picks a window.
void askToActivate(testing::XSession& session, xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = session.atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2; // source: a pager, on the user's behalf
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(session.connection(), 0, session.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(session.connection());
}

void drainEvents(testing::XSession& session) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(session.connection()))
        std::free(event);
}

// The desktop the activations happen on, with two windows, and how the benchmark asks for one.
class BenchDesktop {
public:
    virtual ~BenchDesktop() = default;
    virtual QProcessEnvironment environment(const fs::path& root) const = 0;
    // Asks for window `which` (0 or 1) to come to the front, as a pager would.
    virtual void activate(std::size_t which) = 0;
    // After an activation has been measured: what the request brought back is read.
    virtual void settle() = 0;
};

class X11BenchDesktop final : public BenchDesktop {
public:
    explicit X11BenchDesktop(const fs::path& root) : session_(root / "session") {
        windows_ = {session_.createWindow({"alpha\0Alpha\0"s, {}, {}, {}}),
                    session_.createWindow({"beta\0Beta\0"s, {}, {}, {}})};
    }
    QProcessEnvironment environment(const fs::path& root) const override {
        return vontalEnvironment(root, session_);
    }
    void activate(std::size_t which) override { askToActivate(session_, windows_[which]); }
    void settle() override { drainEvents(session_); }

private:
    testing::XSession session_;
    std::vector<xcb_window_t> windows_;
};

class SwayBenchDesktop final : public BenchDesktop {
public:
    explicit SwayBenchDesktop(const fs::path& root) : session_(root / "session") {
        for (const char* appId : {"bench-alpha", "bench-beta"}) {
            pids_.push_back(session_.launch({"foot", "--app-id="s + appId}));
            if (!session_.waitForWindow(appId, testing::deadlineIn(20s)))
                throw std::runtime_error("no window from foot");
        }
        ipc_ = std::make_unique<SwayIpc>(session_.variable("SWAYSOCK").value_or(""));
        if (!ipc_->connected())
            throw std::runtime_error("cannot reach sway's IPC socket");
    }
    QProcessEnvironment environment(const fs::path& root) const override {
        return vontalEnvironment(root, session_);
    }
    void activate(std::size_t which) override {
        ipc_->send("[pid=" + std::to_string(pids_[which]) + "] focus");
    }
    void settle() override { ipc_->answer(); }

private:
    testing::WaylandSession session_;
    std::vector<pid_t> pids_;
    std::unique_ptr<SwayIpc> ipc_;
};

class KwinBenchDesktop final : public BenchDesktop {
public:
    explicit KwinBenchDesktop(const fs::path& root)
        : session_(root / "session", testing::WaylandSession::Compositor::Kwin) {
        // KWin gives the classes lower-cased; the entries name them as StartupWMClass.
        for (const char* wmClass : {"Alpha", "Beta"}) {
            pids_.push_back(session_.launch({"xterm", "-class", wmClass}));
            if (!session_.kwinActivate(std::to_string(pids_.back()), testing::deadlineIn(20s)))
                throw std::runtime_error("no window from xterm");
        }
        // KWin reads vontal's script as its own user.
        const fs::path kwinDir = root / "data" / "vontal" / "kwin";
        fs::create_directories(kwinDir);
        fs::copy_file(VONTAL_KWIN_SCRIPT, kwinDir / "vontal-frontmost.js",
                      fs::copy_options::overwrite_existing);
        for (fs::path p = kwinDir; p != root.parent_path(); p = p.parent_path())
            fs::permissions(p, fs::perms::others_exec, fs::perm_options::add);
        fs::permissions(kwinDir / "vontal-frontmost.js", fs::perms::others_read,
                        fs::perm_options::add);
    }
    QProcessEnvironment environment(const fs::path& root) const override {
        return vontalEnvironment(root, session_);
    }
    void activate(std::size_t which) override {
        session_.kwinActivate(std::to_string(pids_[which]), testing::deadlineIn(3s));
    }
    void settle() override {}
    const std::string& busAddress() const { return session_.busAddress(); }

private:
    testing::WaylandSession session_;
    std::vector<pid_t> pids_;
};

// GNOME Shell with vontal's extension on; a test-only extension activates the windows. The
// programs have no entry the Shell knows, so it names them by their app_ids.
class GnomeBenchDesktop final : public BenchDesktop {
public:
    explicit GnomeBenchDesktop(const fs::path& root)
        : session_(root / "session", testing::WaylandSession::Compositor::Gnome,
                   {{testing::WaylandSession::gnomeExtensionForm(VONTAL_GNOME_EXTENSIONS),
                     testing::WaylandSession::gnomeExtensionForm(VONTAL_TEST_FOCUS_FORMS)},
                    {testing::WaylandSession::gnomeExtensionForm(VONTAL_GNOME_EXTENSIONS)
                         .filename()
                         .string(),
                     "vontal-test-focus@vontal.org"}}) {
        for (const char* appId : {"bench-alpha", "bench-beta"}) {
            session_.launch({"foot", "--app-id="s + appId, "--title="s + appId});
            bool shown = false;
            for (const auto deadline = testing::deadlineIn(20s);
                 !shown && std::chrono::steady_clock::now() < deadline;) {
                const auto done = session_.gnomeCall("/org/vontal/test/Focus",
                                                     "org.vontal.test.Focus.Activate", {appId});
                shown = done && done->find("true") != std::string::npos;
                if (!shown)
                    std::this_thread::sleep_for(50ms);
            }
            if (!shown)
                throw std::runtime_error("no window from foot");
        }
    }
    QProcessEnvironment environment(const fs::path& root) const override {
        auto environment = vontalEnvironment(root, session_);
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return environment;
    }
    void activate(std::size_t which) override {
        session_.gnomeCall("/org/vontal/test/Focus", "org.vontal.test.Focus.Activate",
                           {which == 0 ? "bench-alpha" : "bench-beta"});
    }
    void settle() override {}
    const std::string& busAddress() const { return session_.busAddress(); }

private:
    testing::WaylandSession session_;
};

std::string address(int index) {
    char text[32];
    std::snprintf(text, sizeof text, "C0:FF:EE:00:01:%02X", index + 1);
    return text;
}

std::string identifier(int index) {
    char text[48];
    std::snprintf(text, sizeof text, "00000000-0000-0000-0000-C0FFEE0001%02X", index + 1);
    return text;
}

struct Sample {
    std::int64_t watcher = 0;
    std::int64_t firstOnBus = 0;
    std::int64_t lastOnBus = 0;
    std::int64_t firstArrival = 0;
    std::int64_t lastArrival = 0;
    std::int64_t lastHandled = 0;
    // KWin: from the script's call to vontal to the last device's write on the bus.
    std::int64_t vontalAlone = 0;
};

int measure(const fs::path& root, const Options& options) {
    const std::vector<std::string> names = {"Textbearbeitung", "Zeichentabelle \u00c4\u00d6\u00dc"};
    if (!writeDesktopEntry(root, "bench-alpha.desktop",
                           "Name=Text Editor\nName[de]=" + names[0] +
                               "\nExec=true\nStartupWMClass=Alpha\n") ||
        !writeDesktopEntry(root, "bench-beta.desktop",
                           "Name=Character Map\nName[de]=" + names[1] +
                               "\nExec=true\nStartupWMClass=Beta\n"))
        return 1;

    // On X11 the windows are named by their class, on sway by their app_ids (the entries' ids).
    // On KWin too, by their lower-cased classes.
    std::unique_ptr<BenchDesktop> desktop;
    std::unique_ptr<BusMonitor> reports;
    // KWin and GNOME Shell report to vontal on the session bus, where the calls are timed.
    const bool gnome = options.desktop == Options::Desktop::Gnome;
    const bool busReported = options.desktop == Options::Desktop::Kwin || gnome;
    const std::vector<std::string> ids = gnome
                                             ? std::vector<std::string>{"bench-alpha", "bench-beta"}
                                             : std::vector<std::string>{"alpha", "beta"};
    if (options.desktop == Options::Desktop::Sway) {
        desktop = std::make_unique<SwayBenchDesktop>(root);
    } else if (gnome) {
        auto gnomeDesktop = std::make_unique<GnomeBenchDesktop>(root);
        reports = std::make_unique<BusMonitor>(gnomeDesktop->busAddress());
        desktop = std::move(gnomeDesktop);
    } else if (busReported) {
        auto kwinDesktop = std::make_unique<KwinBenchDesktop>(root);
        reports = std::make_unique<BusMonitor>(kwinDesktop->busAddress());
        desktop = std::move(kwinDesktop);
    } else {
        desktop = std::make_unique<X11BenchDesktop>(root);
    }
    std::size_t seenReports = 0;

    test::BluezMock mock;
    if (mock.pid() == 0)
        return 1;
    QJsonObject passwords;
    std::vector<std::string> addresses;
    QString firstDataCharacteristic;
    for (int index = 0; index < options.devices; ++index) {
        addresses.push_back(address(index));
        const QString password = QStringLiteral("secret-%1").arg(index);
        const auto device =
            mock.addVontalDevice(addresses.back(), QStringLiteral("Device %1").arg(index),
                                 password.toUtf8(), QByteArray("Bench"));
        if (index == 0)
            firstDataCharacteristic = device.data;
        passwords.insert(QString::fromStdString(identifier(index)), password);
    }
    if (!writeSettingsFile(root, passwords))
        return 1;

    const char* busAddress = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    BusMonitor monitor(busAddress != nullptr ? busAddress : "");
    const QProcessEnvironment environment = desktop->environment(root);
    QProcess watcher;
    QProcess vontal;
    const auto stop = [&] {
        for (QProcess* process : {&vontal, &watcher}) {
            process->kill(); // by its pid
            process->waitForFinished(5000);
        }
    };
    WatcherOutput watched(watcher);
    if ((!busReported &&
         (!startChild(watcher, QStringLiteral(VONTAL_BARE_WATCHER), {}, environment) ||
          watched.nextLine(10s) != "ready")) ||
        !startChild(vontal, QStringLiteral(VONTAL_PROGRAM), {}, environment)) {
        std::fprintf(stderr, "the watcher or vontal did not start\n");
        stop();
        return 1;
    }
    const bool paired = test::waitUntil(
        [&] {
            const auto operations = mock.operations();
            return std::all_of(addresses.begin(), addresses.end(), [&](const std::string& a) {
                return !test::only(operations, "StartNotify", a,
                                   "86ea8d4d-d290-41cb-83ef-172b10165725")
                            .empty();
            });
        },
        60s);
    if (!paired) {
        std::fprintf(stderr, "not every device finished its handshake\n");
        stop();
        return 1;
    }

    unsigned seen = static_cast<unsigned>(commandTimes(0).size());
    std::size_t seenOnBus = monitor.since(0).size();
    std::vector<Sample> samples;
    const int warmUp = 10;
    for (int round = 0; round < warmUp + options.activations; ++round) {
        const std::size_t which = static_cast<std::size_t>(round) % 2;
        const std::int64_t asked = monotonicNs();
        desktop->activate(which);
        std::optional<std::int64_t> watcherTime;
        if (busReported) {
            for (const auto deadline = std::chrono::steady_clock::now() + 3s;
                 !watcherTime && std::chrono::steady_clock::now() < deadline;) {
                const auto calls = reports->since(seenReports);
                for (const auto& call : calls) {
                    if (call.value == ids[which])
                        watcherTime = call.monotonicNs;
                }
                seenReports += calls.size();
                if (!watcherTime)
                    std::this_thread::sleep_for(1ms);
            }
        } else {
            watcherTime = watched.timeOf(names[which], 3s);
        }

        // The monitor is read here, in this process: waiting on it costs vontal nothing.
        std::vector<BusMonitor::Write> onBus;
        const auto busDeadline = std::chrono::steady_clock::now() + 3s;
        for (;;) {
            const auto writes = monitor.since(seenOnBus);
            onBus.clear();
            for (const auto& write : writes) {
                if (write.type == "command" && write.value == names[which])
                    onBus.push_back(write);
            }
            if (static_cast<int>(onBus.size()) >= options.devices ||
                std::chrono::steady_clock::now() > busDeadline) {
                seenOnBus += writes.size();
                break;
            }
            std::this_thread::sleep_for(1ms);
        }

        // Reading the stand-in's record while it still handles the writes would hold them up:
        // it is read once they have surely been handled.
        std::this_thread::sleep_for(20ms);
        std::vector<CommandTime> arrived;
        const auto deadline = std::chrono::steady_clock::now() + 3s;
        for (;;) {
            const auto times = commandTimes(seen);
            arrived.clear();
            for (const auto& time : times) {
                if (time.value.toStdString() == names[which])
                    arrived.push_back(time);
            }
            if (static_cast<int>(arrived.size()) >= options.devices ||
                std::chrono::steady_clock::now() > deadline) {
                seen += static_cast<unsigned>(times.size());
                break;
            }
            std::this_thread::sleep_for(5ms);
        }
        desktop->settle();
        if (!watcherTime || static_cast<int>(onBus.size()) != options.devices ||
            static_cast<int>(arrived.size()) != options.devices) {
            std::fprintf(stderr,
                         "activation %d: watcher %s, %zu of %d writes on the bus, %zu at the "
                         "stand-in\n",
                         round, watcherTime ? "posted" : "silent", onBus.size(), options.devices,
                         arrived.size());
            stop();
            return 1;
        }
        if (round < warmUp)
            continue;
        Sample sample;
        sample.watcher = *watcherTime - asked;
        sample.firstOnBus = onBus.front().monotonicNs - asked;
        sample.lastOnBus = onBus.back().monotonicNs - asked;
        sample.vontalAlone = onBus.back().monotonicNs - *watcherTime;
        sample.firstArrival = LLONG_MAX;
        for (const auto& time : arrived) {
            sample.firstArrival = std::min(sample.firstArrival, time.arrival - asked);
            sample.lastArrival = std::max(sample.lastArrival, time.arrival - asked);
            sample.lastHandled = std::max(sample.lastHandled, time.handled - asked);
        }
        samples.push_back(sample);
    }

    // The bus and the stand-in's dispatch alone: a call from here, stamped on arrival.
    Latencies oneWay{"bus + stand-in dispatch (a call from here to its arrival)", {}};
    for (int call = 0; call < options.activations; ++call) {
        const std::int64_t sent = monotonicNs();
        const QDBusMessage reply = callMock(QStringLiteral("Clock"));
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            oneWay.nanoseconds.push_back(
                static_cast<std::int64_t>(reply.arguments().first().toULongLong()) - sent);
    }
    // What Qt Bluetooth asks bluetoothd, and waits for, before each write: a characteristic's
    // UUID property, one blocking round trip per characteristic it looks at.
    Latencies propertyRoundTrip{"Properties.Get round trip to the stand-in (blocking)", {}};
    for (int call = 0; call < options.activations; ++call) {
        QDBusMessage get = QDBusMessage::createMethodCall(
            QStringLiteral("org.bluez"), firstDataCharacteristic,
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get.setArguments({QStringLiteral("org.bluez.GattCharacteristic1"), QStringLiteral("UUID")});
        const std::int64_t sent = monotonicNs();
        if (QDBusConnection::systemBus().call(get).type() == QDBusMessage::ReplyMessage)
            propertyRoundTrip.nanoseconds.push_back(monotonicNs() - sent);
    }
    stop();

    Latencies watcherRow{gnome         ? "GNOME extension: its call to vontal on the session bus"
                         : busReported ? "KWin script: its call to vontal on the session bus"
                                       : "bare watcher: activation posted",
                         {}};
    Latencies aloneRow{"vontal alone: script's call to last write on the bus", {}};
    Latencies firstBusRow{"vontal: first device's write on the bus", {}};
    Latencies lastBusRow{"vontal: last device's write on the bus", {}};
    Latencies firstRow{"vontal: first device's write arrives at the stand-in", {}};
    Latencies lastRow{"vontal: last device's write arrives at the stand-in", {}};
    Latencies handledRow{"vontal: last device's write reaches the stand-in's handler", {}};
    for (const auto& sample : samples) {
        watcherRow.nanoseconds.push_back(sample.watcher);
        firstBusRow.nanoseconds.push_back(sample.firstOnBus);
        lastBusRow.nanoseconds.push_back(sample.lastOnBus);
        firstRow.nanoseconds.push_back(sample.firstArrival);
        lastRow.nanoseconds.push_back(sample.lastArrival);
        handledRow.nanoseconds.push_back(sample.lastHandled);
        aloneRow.nanoseconds.push_back(sample.vontalAlone);
    }
    std::printf("%d activations (after %d to warm up), %d connected devices on %s; times from "
                "the %s request\n",
                options.activations, warmUp, options.devices, desktopName(options.desktop),
                options.desktop == Options::Desktop::Sway   ? "focus"
                : options.desktop == Options::Desktop::Kwin ? "activation script's load"
                : gnome                                     ? "test extension's Activate call"
                                                            : "_NET_ACTIVE_WINDOW");
    std::vector<Latencies> rows = {watcherRow, firstBusRow, lastBusRow, firstRow,
                                   lastRow,    handledRow,  oneWay,     propertyRoundTrip};
    if (busReported)
        rows.insert(rows.begin() + 1, aloneRow);
    printTable(rows);
    if (busReported)
        std::printf("%s: p99 %.3f ms (target < 10 ms)\n", aloneRow.label.c_str(),
                    aloneRow.percentileMs(99));
    for (const auto* row : {&lastBusRow, &lastRow}) {
        std::printf("%s: p99 %.3f ms (target < 10 ms), %.2f x the %s p99 (target <= 1.5)\n",
                    row->label.c_str(), row->percentileMs(99),
                    row->percentileMs(99) / std::max(watcherRow.percentileMs(99), 1e-9),
                    busReported ? "script's call's" : "bare watcher's");
    }
    return 0;
}

} // namespace
} // namespace vontal::e2e

int main(int argc, char** argv) {
    // The stand-in owns org.bluez on a system bus of its own: without one, start over on it.
    if (std::getenv("VONTAL_TEST_WORKDIR") == nullptr) {
        char self[PATH_MAX] = {};
        if (readlink("/proc/self/exe", self, sizeof self - 1) < 0)
            return 1;
        std::vector<char*> arguments{const_cast<char*>(VONTAL_SYSTEM_BUS_RUNNER), self};
        for (int index = 1; index < argc; ++index)
            arguments.push_back(argv[index]);
        arguments.push_back(nullptr);
        execv(VONTAL_SYSTEM_BUS_RUNNER, arguments.data());
        std::perror("cannot start the system bus runner");
        return 1;
    }
    QCoreApplication application(argc, argv);
    vontal::e2e::Options options;
    if (argc > 1)
        options.activations = std::max(1, std::atoi(argv[1]));
    if (argc > 2)
        options.devices = std::clamp(std::atoi(argv[2]), 1, 200);
    if (argc > 3 && std::string(argv[3]) == "sway")
        options.desktop = vontal::e2e::Options::Desktop::Sway;
    if (argc > 3 && std::string(argv[3]) == "kwin")
        options.desktop = vontal::e2e::Options::Desktop::Kwin;
    if (argc > 3 && std::string(argv[3]) == "gnome")
        options.desktop = vontal::e2e::Options::Desktop::Gnome;

    char pattern[] = "/tmp/vontal-e2e-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return 1;
    const std::filesystem::path root = pattern;
    vontal::e2e::prepareVontalHome(root);
    int result = 1;
    try {
        result = vontal::e2e::measure(root, options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
