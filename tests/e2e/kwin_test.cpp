// vontal in a Wayland session on KDE Plasma (headless KWin): program switches reported by
// vontal's own KWin script, found in the data directories as an install puts it there.

#include "tests/support/bluez/qt_wait.h"
#include "vontal_desktop.h"

#include <QDBusMessage>
#include <QDir>
#include <algorithm>
#include <csignal>
#include <optional>

namespace vontal::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::deadlineIn;

class VontalOnKwin : public VontalDesktop {
protected:
    void startDesktop() override {
        kwin_ = std::make_unique<testing::WaylandSession>(
            root_ / "session", testing::WaylandSession::Compositor::Kwin);
        // KWin reads the script as its own user.
        const fs::path kwinDir = root_ / "data" / "vontal" / "kwin";
        fs::create_directories(kwinDir);
        fs::copy_file(VONTAL_KWIN_SCRIPT, kwinDir / "vontal-frontmost.js",
                      fs::copy_options::overwrite_existing);
        for (fs::path p = kwinDir; p != root_; p = p.parent_path())
            fs::permissions(p, fs::perms::others_exec, fs::perm_options::add);
        fs::permissions(kwinDir / "vontal-frontmost.js", fs::perms::others_read,
                        fs::perm_options::add);
    }
    void stopDesktop() override { kwin_.reset(); }
    // vontal reads the system's entries too, as in a Plasma session: from Plasma 6.7 on KWin names
    // an X11 window by the system entry of its program (xterm's is debian-xterm).
    QProcessEnvironment environment() const override {
        auto environment = vontalEnvironment(root_, *kwin_);
        environment.insert(QStringLiteral("XDG_DATA_DIRS"),
                           environment.value(QStringLiteral("XDG_DATA_DIRS")) +
                               QStringLiteral(":/usr/local/share:/usr/share"));
        return environment;
    }

    // Starts a program and brings its window to the front; its process id, or 0.
    pid_t launchOnKwin(const std::vector<std::string>& argv) {
        const pid_t pid = kwin_->launch(argv);
        return activate(pid) ? pid : 0;
    }
    bool activate(pid_t pid) { return kwin_->kwinActivate(std::to_string(pid), deadlineIn(20s)); }
    // Whether KWin runs vontal's script; nothing when KWin did not answer.
    std::optional<bool> scriptLoaded() {
        const QDBusConnection bus = QDBusConnection::connectToBus(
            QString::fromStdString(kwin_->busAddress()), QStringLiteral("kwin-scripting"));
        auto message = QDBusMessage::createMethodCall(
            QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
            QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("isScriptLoaded"));
        message << QStringLiteral("vontal-frontmost");
        const QDBusMessage reply = bus.call(message, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        return reply.arguments().first().toBool();
    }
    // A copy of xterm under this name, which the compositor's user can run.
    std::string program(const std::string& name) {
        const fs::path bin = root_ / "bin";
        fs::create_directories(bin);
        fs::permissions(bin, fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
        fs::copy_file("/usr/bin/xterm", bin / name, fs::copy_options::overwrite_existing);
        return (bin / name).string();
    }

    std::unique_ptr<testing::WaylandSession> kwin_;
};

TEST_F(VontalOnKwin, EachProgramSwitchedToReachesTheDeviceOnceAsItsLocalizedName) {
    addProgramEntries();
    addDesktopEntry("org.freedesktop.weston.wayland-terminal.desktop",
                    "Name=Terminal\nName[de]=Konsole\nExec=weston-terminal\n");
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});

    // A Wayland program by its desktop file name; X11 programs on Xwayland by their class, which
    // KWin gives lower-cased.
    const pid_t terminal = launchOnKwin({"weston-terminal"});
    const pid_t xterm = launchOnKwin({"xterm"});
    // Programs of their own: KWin 6.7 would name a second xterm by xterm's entry, whatever its
    // class; a program no entry claims it names by its class.
    const pid_t cafe = launchOnKwin({program("cafeunicode"), "-class", "CafeUnicode"});
    const pid_t tram = launchOnKwin({program("tram"), "-class", "Tram"});
    ASSERT_TRUE(terminal && xterm && cafe && tram);

    startVontal();
    ASSERT_TRUE(waitForPaired(kDeskAddress));
    // Whatever vontal sent for its own window, when it appeared, comes before this name.
    ASSERT_TRUE(activate(terminal));
    ASSERT_TRUE(test::waitUntil([&] {
        const auto names = namesReceived(kDeskAddress);
        return std::find(names.begin(), names.end(), "Konsole") != names.end();
    }));
    const std::size_t before = namesReceived(kDeskAddress).size();

    const std::vector<std::pair<pid_t, std::string>> switches = {
        {xterm, "XTerm"},      {cafe, "Caf\u00e9 \u00dcn\u00efc\u00f8d\u00e9"},
        {terminal, "Konsole"}, {tram, "\u6771\u4eac \U0001F68B Stra\u00dfenbahn"},
        {xterm, "XTerm"},
    };
    std::vector<std::string> expected;
    for (const auto& [pid, name] : switches) {
        ASSERT_TRUE(activate(pid)) << name;
        expected.push_back(name);
        // A second write for one switch would show up here, before the next switch's name.
        ASSERT_TRUE(waitForNames(kDeskAddress, before + expected.size())) << name;
    }
    const auto names = namesReceived(kDeskAddress);
    EXPECT_EQ(
        std::vector<std::string>(names.begin() + static_cast<std::ptrdiff_t>(before), names.end()),
        expected);

    // Each name goes as its UTF-8 bytes alone, without response.
    const auto dataWrites = test::only(mock_->operations(), "WriteValue", kDeskAddress, kDataUuid);
    const auto tramWrite =
        std::find_if(dataWrites.begin(), dataWrites.end(), [](const test::MockOperation& write) {
            return textOf(write.value) == "\u6771\u4eac \U0001F68B Stra\u00dfenbahn";
        });
    ASSERT_NE(tramWrite, dataWrites.end());
    EXPECT_EQ(tramWrite->type, "command");
    EXPECT_EQ(tramWrite->value, test::bytesOf("\u6771\u4eac \U0001F68B Stra\u00dfenbahn"));
    const auto lines = vontalLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.starts_with("Application activations are not") ||
                                       line.starts_with("Refused");
                            }),
              0);

    // A logout (SIGHUP and SIGTERM together) ends vontal cleanly: its script leaves KWin, its
    // instance socket goes, and the device sees its link dropped.
    EXPECT_EQ(scriptLoaded(), true);
    ASSERT_EQ(::kill(static_cast<pid_t>(vontal_->processId()), SIGHUP), 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(vontal_->processId()), SIGTERM), 0);
    ASSERT_TRUE(vontal_->waitForFinished(20000));
    EXPECT_EQ(vontal_->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vontal_->exitCode(), 0);
    EXPECT_EQ(scriptLoaded(), false);
    EXPECT_TRUE(QDir(QString::fromStdString((root_ / "runtime").string()))
                    .entryList({"*.instance"}, QDir::System | QDir::Hidden)
                    .isEmpty());
    EXPECT_EQ(test::only(mock_->operations(), "Disconnect", kDeskAddress).size(), 1u);
}

} // namespace
} // namespace vontal::e2e
