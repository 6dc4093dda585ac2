#include "vontal_desktop.h"

#include "tests/support/bluez/qt_wait.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QJsonDocument>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/prctl.h>
#include <unistd.h>

namespace vontal::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

const QString kTrayWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kTrayBusName = QStringLiteral("tray-host");

QString pathText(const fs::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace

std::string textOf(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

void VontalDesktop::SetUp() {
    char pattern[] = "/tmp/vontal-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    prepareVontalHome(root_);
    try {
        startDesktop();
    } catch (const std::exception& error) {
        FAIL() << "test desktop: " << error.what();
    }
    mock_ = std::make_unique<test::BluezMock>();
}

void VontalDesktop::startDesktop() {
    session_ = std::make_unique<testing::XSession>(root_ / "session");
}

QProcessEnvironment VontalDesktop::environment() const {
    return vontalEnvironment(root_, *session_);
}

void VontalDesktop::TearDown() {
    if (HasFailure()) {
        std::fprintf(stderr, "--- vontal's output\n");
        for (const auto& line : vontalLines())
            std::fprintf(stderr, "%s\n", line.c_str());
    }
    if (vontal_) {
        vontal_->kill(); // by its pid
        vontal_->waitForFinished(5000);
        vontal_.reset();
    }
    if (trayBus_) {
        trayBus_.reset();
        QDBusConnection::disconnectFromBus(kTrayBusName);
    }
    mock_.reset();
    keyring_.reset();
    stopDesktop();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void VontalDesktop::startKeyring() {
    try {
        keyring_ = std::make_unique<testing::SecretServiceDaemon>(
            root_ / "home", root_ / "data-home", root_ / "runtime", session_->busAddress());
    } catch (const std::exception& error) {
        FAIL() << "keyring: " << error.what();
    }
}

QDBusConnection& VontalDesktop::testBus() {
    if (!trayBus_)
        trayBus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            QString::fromStdString(session_->busAddress()), kTrayBusName));
    return *trayBus_;
}

void VontalDesktop::startTrayHost() {
    trayHostPid_ = session_->launch(
        {"/usr/bin/python3", "-m", "dbusmock", "--template", VONTAL_STATUS_NOTIFIER_WATCHER});
    ASSERT_TRUE(test::waitUntil(
        [&] { return testBus().interface()->isServiceRegistered(kTrayWatcher).value(); }, 20s))
        << "the tray host stand-in did not start";
}

void VontalDesktop::stopTrayHost() {
    ASSERT_GT(trayHostPid_, 0);
    ASSERT_EQ(::kill(trayHostPid_, SIGTERM), 0);
    trayHostPid_ = 0;
    ASSERT_TRUE(test::waitUntil(
        [&] { return !testBus().interface()->isServiceRegistered(kTrayWatcher).value(); }, 20s))
        << "the tray host stand-in did not stop";
}

QVariant VontalDesktop::trayHost(const QString& method, const QVariantList& arguments) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kTrayWatcher, QStringLiteral("/StatusNotifierWatcher"),
                                       QStringLiteral("org.vontal.TrayHost"), method);
    message.setArguments(arguments);
    return testBus().call(message, QDBus::Block, 5000).arguments().value(0);
}

void VontalDesktop::addDesktopEntry(const std::string& fileName, const std::string& body) {
    ASSERT_TRUE(writeDesktopEntry(root_, fileName, body)) << fileName;
}

void VontalDesktop::addProgramEntries() {
    addDesktopEntry("vontal-test-xterm.desktop", "Name=XTerm\nExec=xterm\nStartupWMClass=XTerm\n");
    addDesktopEntry("gucharmap.desktop",
                    "Name=Character Map\nName[de]=Zeichentabelle\nExec=gucharmap\n");
    addDesktopEntry("vontal-test-cafe.desktop",
                    "Name=Cafe Unicode\nName[de]=Caf\u00e9 \u00dcn\u00efc\u00f8d\u00e9\n"
                    "Exec=xterm -class CafeUnicode\nStartupWMClass=CafeUnicode\n");
    // Three- and four-byte sequences, and no German name: the untranslated one is used.
    addDesktopEntry("vontal-test-tram.desktop", "Name=\u6771\u4eac \U0001F68B Stra\u00dfenbahn\n"
                                                "Exec=xterm -class Tram\nStartupWMClass=Tram\n");
    addDesktopEntry("vontal-test-start.desktop",
                    "Name=Start\nName[de]=Startfenster\nExec=true\nStartupWMClass=Start\n");
}

fs::path VontalDesktop::settingsPath() const {
    return settingsFile(root_);
}

void VontalDesktop::writeSettings(const QJsonObject& entries) {
    ASSERT_TRUE(writeSettingsFile(root_, entries));
}

QJsonObject VontalDesktop::readSettings() const {
    QFile file(pathText(settingsPath()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

void VontalDesktop::startVontal() {
    vontal_ = std::make_unique<QProcess>();
    ASSERT_TRUE(startChild(*vontal_, QStringLiteral(VONTAL_PROGRAM), {}, environment()))
        << "vontal did not start";
}

void VontalDesktop::startVontalWritingTo(int output) {
    vontal_ = std::make_unique<QProcess>();
    vontal_->setProcessEnvironment(environment());
    vontal_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    vontal_->setChildProcessModifier([output] {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(output, STDOUT_FILENO);
    });
    vontal_->start(QStringLiteral(VONTAL_PROGRAM), {});
    ASSERT_TRUE(vontal_->waitForStarted(10000)) << "vontal did not start";
}

int VontalDesktop::startVontalAgain() {
    QProcess second;
    if (!startChild(second, QStringLiteral(VONTAL_PROGRAM), {},
                    vontalEnvironment(root_, *session_)))
        return -1;
    if (!second.waitForFinished(20000)) {
        second.kill();
        second.waitForFinished(5000);
        return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

int VontalDesktop::terminateVontal() {
    if (!vontal_)
        return -1;
    vontal_->terminate(); // SIGTERM, by its pid
    if (!vontal_->waitForFinished(20000))
        return -1;
    vontalLines();
    return vontal_->exitStatus() == QProcess::NormalExit ? vontal_->exitCode() : -1;
}

bool VontalDesktop::closeThroughWindowManager(xcb_window_t window) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%08x", window);
    if (session_->run({"wmctrl", "-i", "-c", id}))
        return true;
    // What wmctrl said, for the test's output.
    std::ifstream log(root_ / "session" / "commands.log");
    std::fprintf(stderr, "wmctrl: %s\n",
                 std::string(std::istreambuf_iterator<char>(log), {}).c_str());
    return false;
}

bool VontalDesktop::vontalRunning() const {
    return vontal_ && vontal_->state() == QProcess::Running;
}

xcb_window_t VontalDesktop::vontalWindow() {
    if (!vontal_)
        return 0;
    const auto window = session_->waitForClientOf(static_cast<pid_t>(vontal_->processId()),
                                                  testing::deadlineIn(30s));
    return window.value_or(0);
}

std::vector<std::string> VontalDesktop::vontalLines() {
    if (vontal_) {
        QCoreApplication::processEvents();
        const QByteArray bytes = vontal_->readAllStandardOutput();
        partialLine_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        for (auto end = partialLine_.find('\n'); end != std::string::npos;
             end = partialLine_.find('\n')) {
            output_.push_back(partialLine_.substr(0, end));
            partialLine_.erase(0, end + 1);
        }
    }
    return output_;
}

bool VontalDesktop::waitForVontalLine(const std::string& line, std::chrono::milliseconds timeout) {
    return test::waitUntil(
        [&] {
            const auto lines = vontalLines();
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        },
        timeout);
}

xcb_window_t VontalDesktop::launch(const std::vector<std::string>& argv) {
    const pid_t pid = session_->launch(argv);
    return session_->waitForClientOf(pid, testing::deadlineIn(30s)).value_or(0);
}

std::string VontalDesktop::titleOf(xcb_window_t window) {
    xcb_connection_t* connection = session_->connection();
    std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, session_->atom("_NET_WM_NAME"),
                         session_->atom("UTF8_STRING"), 0, 256),
        nullptr));
    if (!reply)
        return {};
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(text, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

xcb_window_t VontalDesktop::waitForWindowTitled(const std::string& title, xcb_window_t except,
                                                std::chrono::milliseconds timeout) {
    const auto titled = [&](xcb_window_t window) {
        return window != except && titleOf(window) == title;
    };
    return session_->waitForClient(titled, testing::deadlineIn(timeout)).value_or(0);
}

std::vector<xcb_window_t> VontalDesktop::windowsTitled(const std::string& title) {
    std::vector<xcb_window_t> found;
    for (const xcb_window_t window : session_->clients())
        if (titleOf(window) == title)
            found.push_back(window);
    return found;
}

bool VontalDesktop::windowExists(xcb_window_t window) {
    xcb_connection_t* connection = session_->connection();
    std::unique_ptr<xcb_get_window_attributes_reply_t, FreeDeleter> reply(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window),
                                        nullptr));
    return reply != nullptr;
}

bool VontalDesktop::xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return session_->run(argv);
}

bool VontalDesktop::activate(xcb_window_t window) {
    return session_->activate(window);
}

bool VontalDesktop::waitForRecord(
    const std::function<bool(const std::vector<test::MockOperation>&)>& done,
    std::chrono::milliseconds timeout) {
    return test::waitUntil([&] { return done(mock_->operations()); }, timeout);
}

std::vector<std::string> VontalDesktop::namesReceived(const std::string& address) {
    std::vector<std::string> names;
    for (const auto& write : test::only(mock_->operations(), "WriteValue", address, kDataUuid)) {
        if (write.type == "command" && write.value != std::vector<std::uint8_t>{0x00})
            names.push_back(textOf(write.value));
    }
    return names;
}

void VontalDesktop::expectOneNamePerSwitch(
    const std::string& address,
    const std::vector<std::pair<std::function<bool()>, std::string>>& switches) {
    const std::size_t before = namesReceived(address).size();
    std::vector<std::string> expected;
    for (const auto& [bringToFront, name] : switches) {
        ASSERT_TRUE(bringToFront()) << name;
        expected.push_back(name);
        // A second write for one switch would show up here, before the next switch's name.
        ASSERT_TRUE(waitForNames(address, before + expected.size())) << name;
    }
    const auto names = namesReceived(address);
    EXPECT_EQ(
        std::vector<std::string>(names.begin() + static_cast<std::ptrdiff_t>(before), names.end()),
        expected);
}

bool VontalDesktop::waitForNames(const std::string& address, std::size_t count) {
    return test::waitUntil([&] { return namesReceived(address).size() >= count; }, 10s);
}

bool VontalDesktop::waitForPaired(const std::string& address) {
    return waitForRecord([&](const std::vector<test::MockOperation>& operations) {
        return !test::only(operations, "StartNotify", address, kDataUuid).empty();
    });
}

} // namespace vontal::e2e
