#include "platform/xdg/xdg_login_item_service.h"
#include "vontal_ids.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gio/gdesktopappinfo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vontal {
namespace {

// Restores the variables a test changes, so that tests stay independent in one process.
class SavedEnvironment {
public:
    SavedEnvironment(std::initializer_list<const char*> names) {
        for (const char* name : names)
            saved_.emplace_back(name, qgetenv(name));
    }
    ~SavedEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }

private:
    std::vector<std::pair<const char*, QByteArray>> saved_;
};

std::string readFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void writeFile(const std::string& path, const std::string& text) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), qint64(text.size()));
}

class XdgLoginItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config")));
        qputenv("HOME", QFile::encodeName(root.filePath("home")));
        helper = installHelper("bin");
    }

    // A stand-in helper that records the path it was started as.
    std::string installHelper(const QString& directory) {
        QDir().mkpath(root.filePath(directory));
        const QString path = root.filePath(directory + "/vontalloginhelper");
        QFile script(path);
        EXPECT_TRUE(script.open(QIODevice::WriteOnly)) << path.toStdString();
        script.write("#!/bin/sh\nprintf '%s' \"$0\" > \"$VONTAL_TEST_MARKER\"\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner | QFileDevice::ReadOther |
                              QFileDevice::ExeOther | QFileDevice::ReadGroup |
                              QFileDevice::ExeGroup);
        return path.toStdString();
    }

    std::unique_ptr<LoginItem> item(const std::string& helperPath) {
        return XdgLoginItemService(helperPath).loginItemServiceWithIdentifier(kHelperIdentifier);
    }
    std::unique_ptr<LoginItem> item() { return item(helper); }

    std::string entryPath() const {
        return root.filePath(QStringLiteral("config/autostart/%1.desktop").arg(kHelperIdentifier))
            .toStdString();
    }

    // Writes an entry by hand, as another program or the user might have left it.
    void writeEntry(const std::string& body) {
        QDir().mkpath(root.filePath("config/autostart"));
        writeFile(entryPath(), "[Desktop Entry]\n" + body);
    }

    SavedEnvironment environment{"XDG_CONFIG_HOME",         "HOME",    "PATH",
                                 "VONTAL_TEST_MARKER",      "DISPLAY", "XDG_CURRENT_DESKTOP",
                                 "DBUS_SESSION_BUS_ADDRESS"};
    QTemporaryDir root;
    std::string helper;
};

TEST_F(XdgLoginItemTest, RegisterAndUnregisterMoveTheStatusBackAndForth) {
    EXPECT_EQ(item()->status(), LoginItemStatus::NotRegistered);
    EXPECT_EQ(item()->unregisterItem(), std::nullopt) << "no entry is not an error";

    ASSERT_EQ(item()->registerItem(), std::nullopt);
    EXPECT_EQ(item()->status(), LoginItemStatus::Enabled);
    ASSERT_EQ(item()->registerItem(), std::nullopt) << "registering twice is harmless";
    EXPECT_EQ(item()->status(), LoginItemStatus::Enabled);

    ASSERT_EQ(item()->unregisterItem(), std::nullopt);
    EXPECT_EQ(item()->status(), LoginItemStatus::NotRegistered);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(entryPath())));
}

TEST_F(XdgLoginItemTest, TheEntryIsAnAutostartApplicationThatGioAccepts) {
    ASSERT_EQ(item()->registerItem(), std::nullopt);
    struct stat st {};
    ASSERT_EQ(stat(entryPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(entryPath().c_str());
    ASSERT_NE(info, nullptr) << readFile(entryPath());
    EXPECT_STREQ(g_app_info_get_executable(G_APP_INFO(info)), helper.c_str());
    EXPECT_TRUE(g_desktop_app_info_get_nodisplay(info));
    EXPECT_TRUE(g_desktop_app_info_get_boolean(info, "X-GNOME-Autostart-enabled"));
    EXPECT_FALSE(g_desktop_app_info_get_is_hidden(info));
    g_object_unref(info);
}

// A session starts the entry the way GIO does: the helper must run from its own path, however
// odd the folder it was installed in.
TEST_F(XdgLoginItemTest, AHelperInAFolderWithSpacesAndQuotesIsStartedFromItsPath) {
    helper = installHelper(R"(My Apps/odd "dir" $HOME `x` \back)");
    ASSERT_EQ(item()->registerItem(), std::nullopt);
    EXPECT_EQ(item()->status(), LoginItemStatus::Enabled);

    const std::string marker = root.filePath("started-as").toStdString();
    qputenv("VONTAL_TEST_MARKER", QByteArray::fromStdString(marker));
    // No session bus: GIO's launch announcement fails at once instead of looking for one.
    qputenv("DBUS_SESSION_BUS_ADDRESS", QFile::encodeName("unix:path=" + root.filePath("no-bus")));
    qunsetenv("DISPLAY");

    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(entryPath().c_str());
    ASSERT_NE(info, nullptr) << readFile(entryPath());
    GPid pid = 0;
    GError* error = nullptr;
    const gboolean launched = g_desktop_app_info_launch_uris_as_manager(
        info, nullptr, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr,
        [](GDesktopAppInfo*, GPid started, gpointer data) { *static_cast<GPid*>(data) = started; },
        &pid, &error);
    g_object_unref(info);
    ASSERT_TRUE(launched) << (error ? error->message : "");
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_EQ(readFile(marker), helper);
}

// GIO looks for the program in Exec before it turns "%%" back into '%', so no Exec can name a
// helper installed under such a path: registering says so and writes nothing.
TEST_F(XdgLoginItemTest, AHelperPathThatNoEntryCanNameIsRefused) {
    helper = installHelper("100% sure");
    const auto error = item()->registerItem();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description,
              "An autostart entry cannot start " + helper + " from where it is installed");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(entryPath())));
    EXPECT_EQ(item()->status(), LoginItemStatus::NotRegistered);

    // An entry written by hand the same way is not one the session would start.
    writeEntry("Type=Application\nExec=\"" + root.filePath("100%% sure").toStdString() +
               "/vontalloginhelper\"\n");
    EXPECT_EQ(item()->status(), LoginItemStatus::RequiresApproval);
}

TEST_F(XdgLoginItemTest, EntriesThatWouldNotStartTheHelperNeedApproval) {
    const std::string exec = "Exec=" + helper + "\n";
    struct Case {
        const char* what;
        std::string body;
        LoginItemStatus status;
    };
    const std::vector<Case> cases{
        {"plain", "Type=Application\n" + exec, LoginItemStatus::Enabled},
        {"disabled by the desktop", "Type=Application\nX-GNOME-Autostart-enabled=false\n" + exec,
         LoginItemStatus::RequiresApproval},
        {"hidden, which means deleted", "Type=Application\nHidden=true\n" + exec,
         LoginItemStatus::NotRegistered},
        {"a program that is gone", "Type=Application\nExec=" + root.filePath("gone").toStdString(),
         LoginItemStatus::RequiresApproval},
        {"another program", "Type=Application\nExec=/bin/sh -c true\n",
         LoginItemStatus::RequiresApproval},
        {"no Exec", "Type=Application\n", LoginItemStatus::RequiresApproval},
        {"broken quoting", "Type=Application\nExec=\"" + helper + "\n",
         LoginItemStatus::RequiresApproval},
        {"not an application", "Type=Link\n" + exec, LoginItemStatus::RequiresApproval},
        {"TryExec naming nothing", "Type=Application\nTryExec=/nonexistent/helper\n" + exec,
         LoginItemStatus::RequiresApproval},
        {"TryExec naming the helper", "Type=Application\nTryExec=" + helper + "\n" + exec,
         LoginItemStatus::Enabled},
        {"only on other desktops", "Type=Application\nOnlyShowIn=GNOME;KDE;\n" + exec,
         LoginItemStatus::RequiresApproval},
        {"only on this desktop", "Type=Application\nOnlyShowIn=GNOME;sway;\n" + exec,
         LoginItemStatus::Enabled},
        {"not on this desktop", "Type=Application\nNotShowIn=wlroots;\n" + exec,
         LoginItemStatus::RequiresApproval},
        {"not on other desktops", "Type=Application\nNotShowIn=GNOME;\n" + exec,
         LoginItemStatus::Enabled},
    };
    // A session that names two desktops, as sway's does.
    qputenv("XDG_CURRENT_DESKTOP", "sway:wlroots");
    for (const auto& c : cases) {
        writeEntry(c.body);
        EXPECT_EQ(item()->status(), c.status) << c.what;
    }
    qunsetenv("XDG_CURRENT_DESKTOP");
    writeEntry("Type=Application\nOnlyShowIn=sway;\n" + exec);
    EXPECT_EQ(item()->status(), LoginItemStatus::RequiresApproval) << "no desktop named";

    // A folder where the entry belongs.
    QFile::remove(QString::fromStdString(entryPath()));
    QDir().mkpath(QString::fromStdString(entryPath()));
    EXPECT_EQ(item()->status(), LoginItemStatus::RequiresApproval) << "a folder";
    QDir().rmdir(QString::fromStdString(entryPath()));

    writeFile(entryPath(), "this is not a desktop entry\n");
    EXPECT_EQ(item()->status(), LoginItemStatus::RequiresApproval) << "unreadable";

    // Registering again mends any of them.
    ASSERT_EQ(item()->registerItem(), std::nullopt);
    EXPECT_EQ(item()->status(), LoginItemStatus::Enabled);
}

TEST_F(XdgLoginItemTest, AHelperNamedByPathLookupCounts) {
    qputenv("PATH", QFile::encodeName(root.filePath("bin")));
    writeEntry("Type=Application\nExec=vontalloginhelper\n");
    EXPECT_EQ(item()->status(), LoginItemStatus::Enabled);
    qputenv("PATH", "/nonexistent");
    EXPECT_EQ(item()->status(), LoginItemStatus::RequiresApproval);
}

TEST_F(XdgLoginItemTest, WithoutTheHelperNothingIsFoundAndNothingRegisters) {
    for (const std::string& missing :
         {std::string(), root.filePath("nowhere/vontalloginhelper").toStdString()}) {
        EXPECT_EQ(item(missing)->status(), LoginItemStatus::NotFound);
        const auto error = item(missing)->registerItem();
        ASSERT_TRUE(error);
        EXPECT_EQ(error->description, "vontalloginhelper is not installed");
        EXPECT_FALSE(QFile::exists(QString::fromStdString(entryPath())));
    }
    // A file that cannot be run is not an installed helper either.
    QFile::setPermissions(QString::fromStdString(helper), QFileDevice::ReadOwner);
    EXPECT_EQ(item()->status(), LoginItemStatus::NotFound);

    // A stale entry can still be removed.
    writeEntry("Type=Application\nExec=/gone/vontalloginhelper\n");
    EXPECT_EQ(item(std::string())->unregisterItem(), std::nullopt);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(entryPath())));
}

TEST_F(XdgLoginItemTest, UnwritablePlacesGiveReadableErrors) {
    // The autostart folder is a file.
    QDir().mkpath(root.filePath("config"));
    writeFile(root.filePath("config/autostart").toStdString(), "");
    auto error = item()->registerItem();
    ASSERT_TRUE(error);
    EXPECT_NE(error->description.find(root.filePath("config/autostart").toStdString()),
              std::string::npos)
        << error->description;
    EXPECT_NE(error->description.find("Not a directory"), std::string::npos) << error->description;

    // The entry's name is taken by a folder.
    QFile::remove(root.filePath("config/autostart"));
    QDir().mkpath(QString::fromStdString(entryPath()) + "/inside");
    error = item()->registerItem();
    ASSERT_TRUE(error);
    EXPECT_NE(error->description.find(entryPath()), std::string::npos) << error->description;
    error = item()->unregisterItem();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description, "Could not remove " + entryPath() + ": Is a directory");
}

// A folder the user may not write to. Root may write anywhere, so as root the attempt is made by
// a child process that has given up its privileges.
TEST_F(XdgLoginItemTest, AFolderWithoutWritePermissionSaysSo) {
    const QString autostart = root.filePath("config/autostart");
    QDir().mkpath(autostart);
    const auto readAndEnter = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner | QFileDevice::ReadOther |
                              QFileDevice::ExeOther | QFileDevice::ReadGroup |
                              QFileDevice::ExeGroup;
    for (const QString& dir : {root.path(), root.filePath("config"), root.filePath("bin")})
        QFile::setPermissions(dir, readAndEnter);
    QFile::setPermissions(autostart, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                         QFileDevice::ReadOther | QFileDevice::ExeOther);

    std::string description;
    if (geteuid() != 0) {
        const auto error = item()->registerItem();
        ASSERT_TRUE(error);
        description = error->description;
    } else {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(2);
            const auto error = item()->registerItem();
            const std::string text = error ? error->description : "";
            _exit(write(fds[1], text.data(), text.size()) == ssize_t(text.size()) ? 0 : 3);
        }
        close(fds[1]);
        char buffer[512];
        ssize_t n = 0;
        while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
            description.append(buffer, std::size_t(n));
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
            GTEST_SKIP() << "cannot drop privileges here";
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_NE(description.find("Permission denied"), std::string::npos) << description;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(entryPath())));
}

TEST_F(XdgLoginItemTest, TheEntryFollowsTheConfigurationDirectory) {
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(XdgLoginItemService::autostartDirectory(),
              root.filePath("home/.config/autostart").toStdString());
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(XdgLoginItemService::autostartDirectory(),
              root.filePath("home/.config/autostart").toStdString());

    ASSERT_EQ(item()->registerItem(), std::nullopt);
    EXPECT_TRUE(QFile::exists(
        root.filePath(QStringLiteral("home/.config/autostart/%1.desktop").arg(kHelperIdentifier))));
    EXPECT_EQ(item()->status(), LoginItemStatus::Enabled);
}

TEST_F(XdgLoginItemTest, IdentifiersThatCannotNameAFileAreRefused) {
    XdgLoginItemService service(helper);
    for (const std::string id : {"", ".", "..", "../escape", "a/b"}) {
        auto loginItem = service.loginItemServiceWithIdentifier(id);
        EXPECT_EQ(loginItem->status(), LoginItemStatus::NotFound) << id;
        EXPECT_TRUE(loginItem->registerItem()) << id;
        EXPECT_TRUE(loginItem->unregisterItem()) << id;
    }
    EXPECT_FALSE(QFile::exists(root.filePath("config/escape.desktop")));
}

TEST_F(XdgLoginItemTest, TheHelperIsLookedForBesideTheProgramThenOnPath) {
    const std::string beside = root.filePath("bin").toStdString();
    const std::string other = installHelper("other");
    const std::string path =
        root.filePath("empty").toStdString() + ":" + root.filePath("other").toStdString();
    EXPECT_EQ(XdgLoginItemService::findHelper(beside, path), helper);
    EXPECT_EQ(XdgLoginItemService::findHelper(root.filePath("empty").toStdString(), path), other);
    EXPECT_EQ(XdgLoginItemService::findHelper("", path), other);
    EXPECT_EQ(XdgLoginItemService::findHelper("", ""), "");
    QFile::setPermissions(QString::fromStdString(other), QFileDevice::ReadOwner);
    EXPECT_EQ(XdgLoginItemService::findHelper("", path), "") << "a file that cannot run";
}

} // namespace
} // namespace vontal
