#include "desktop_exec.h"
#include "xdg_login_item_service.h"

#include <cerrno>
#include <filesystem>
#include <gio/gdesktopappinfo.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vontal {

namespace {

constexpr const char* kGroup = G_KEY_FILE_DESKTOP_GROUP;
constexpr const char* kAutostartEnabled = "X-GNOME-Autostart-enabled";

using KeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;
KeyFile newKeyFile() {
    return KeyFile(g_key_file_new(), &g_key_file_free);
}

std::string takeMessage(GError* error) {
    std::string message = error ? error->message : "unknown error";
    g_clear_error(&error);
    return message;
}

std::string osError(const std::string& what, const std::string& path, int error) {
    return what + ' ' + path + ": " + g_strerror(error);
}

// A boolean key, or the fallback when it is absent or not a boolean.
bool booleanOr(GKeyFile* file, const char* key, bool fallback) {
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(file, kGroup, key, &error);
    if (error) {
        g_error_free(error);
        return fallback;
    }
    return value;
}

std::string stringOr(GKeyFile* file, const char* key, const std::string& fallback) {
    gchar* value = g_key_file_get_string(file, kGroup, key, nullptr);
    if (!value)
        return fallback;
    std::string text = value;
    g_free(value);
    return text;
}

bool isExecutableFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error) &&
           access(path.c_str(), X_OK) == 0;
}

// A readable regular file (through symbolic links, as the session reads it).
bool isReadableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), R_OK) == 0;
}

// Whether the session would run the entry on this desktop: OnlyShowIn must name one of the
// desktops in XDG_CURRENT_DESKTOP, NotShowIn none of them. (GIO answers this too, but reads the
// variable only once per process.)
bool showsOnThisDesktop(GKeyFile* file) {
    const char* current = g_getenv("XDG_CURRENT_DESKTOP");
    gchar** desktops = g_strsplit(current ? current : "", ":", -1);
    const auto namesOne = [&](const char* key) {
        gsize count = 0;
        gchar** listed = g_key_file_get_string_list(file, kGroup, key, &count, nullptr);
        bool found = false;
        for (gsize i = 0; listed && i < count && !found; ++i)
            found = listed[i][0] != '\0' && g_strv_contains(desktops, listed[i]);
        const bool present = listed != nullptr;
        g_strfreev(listed);
        return std::pair{present, found};
    };
    const auto [onlyListed, onlyHere] = namesOne(G_KEY_FILE_DESKTOP_KEY_ONLY_SHOW_IN);
    const bool notHere = namesOne(G_KEY_FILE_DESKTOP_KEY_NOT_SHOW_IN).second;
    g_strfreev(desktops);
    return (!onlyListed || onlyHere) && !notHere;
}

// GIO, which the desktop sessions' autostart follows, accepts the entry as an application it can
// start: Type, TryExec, and an Exec whose program exists.
bool gioAccepts(GKeyFile* file) {
    GDesktopAppInfo* info = g_desktop_app_info_new_from_keyfile(file);
    if (!info)
        return false;
    g_object_unref(info);
    return true;
}

} // namespace

XdgLoginItem::XdgLoginItem(std::string identifier, std::string entryPath, std::string helperPath)
    : identifier_(std::move(identifier)), entryPath_(std::move(entryPath)),
      helperPath_(std::move(helperPath)) {}

bool XdgLoginItem::helperInstalled() const {
    return isExecutableFile(helperPath_);
}

bool XdgLoginItem::startsInstalledHelper(const std::string& exec) const {
    const auto arguments = splitExec(exec);
    if (!arguments || arguments->empty())
        return false;
    std::string program = arguments->front();
    if (program.find('/') == std::string::npos) {
        // A bare name is looked up on PATH, as the session would.
        gchar* found = g_find_program_in_path(program.c_str());
        program = found ? found : "";
        g_free(found);
    }
    std::error_code error;
    return isExecutableFile(program) && std::filesystem::equivalent(program, helperPath_, error);
}

LoginItemStatus XdgLoginItem::status() const {
    if (entryPath_.empty() || !helperInstalled())
        return LoginItemStatus::NotFound;
    struct stat info {};
    if (::lstat(entryPath_.c_str(), &info) != 0 && errno == ENOENT)
        return LoginItemStatus::NotRegistered;
    if (!isReadableFile(entryPath_))
        return LoginItemStatus::RequiresApproval;

    auto file = newKeyFile();
    if (!g_key_file_load_from_file(file.get(), entryPath_.c_str(), G_KEY_FILE_NONE, nullptr))
        return LoginItemStatus::RequiresApproval;
    if (booleanOr(file.get(), G_KEY_FILE_DESKTOP_KEY_HIDDEN, false))
        return LoginItemStatus::NotRegistered;
    if (!booleanOr(file.get(), kAutostartEnabled, true) || !showsOnThisDesktop(file.get()) ||
        !gioAccepts(file.get()) ||
        !startsInstalledHelper(stringOr(file.get(), G_KEY_FILE_DESKTOP_KEY_EXEC, "")))
        return LoginItemStatus::RequiresApproval;
    return LoginItemStatus::Enabled;
}

std::optional<LoginItemError> XdgLoginItem::registerItem() {
    if (entryPath_.empty())
        return LoginItemError{"\"" + identifier_ + "\" cannot name a login item"};
    if (!helperInstalled())
        return LoginItemError{"vontalloginhelper is not installed"};

    const std::string directory = std::filesystem::path(entryPath_).parent_path();
    if (g_mkdir_with_parents(directory.c_str(), 0700) != 0) {
        const int error = errno;
        return LoginItemError{osError("Could not create the folder", directory, error)};
    }

    auto file = newKeyFile();
    g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_TYPE,
                          G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
    g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_NAME, "vontal");
    g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_COMMENT,
                          "Starts vontal when you log in");
    g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_EXEC,
                          quoteExecArgument(helperPath_).c_str());
    // Sessions skip the entry without a word if the helper is uninstalled later.
    g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_TRY_EXEC, helperPath_.c_str());
    g_key_file_set_boolean(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY, TRUE);
    g_key_file_set_boolean(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_TERMINAL, FALSE);
    g_key_file_set_boolean(file.get(), kGroup, kAutostartEnabled, TRUE);

    // What is written must read back, through GIO, as an entry that starts this helper. GIO
    // checks the program in Exec before it expands "%%", so a helper whose path holds a '%'
    // cannot be named at all.
    gsize length = 0;
    gchar* data = g_key_file_to_data(file.get(), &length, nullptr);
    auto readBack = newKeyFile();
    if (!g_key_file_load_from_data(readBack.get(), data, length, G_KEY_FILE_NONE, nullptr) ||
        !gioAccepts(readBack.get()) ||
        !startsInstalledHelper(stringOr(readBack.get(), G_KEY_FILE_DESKTOP_KEY_EXEC, ""))) {
        g_free(data);
        return LoginItemError{"An autostart entry cannot start " + helperPath_ +
                              " from where it is installed"};
    }
    GError* error = nullptr;
    const bool written = g_file_set_contents_full(entryPath_.c_str(), data, gssize(length),
                                                  G_FILE_SET_CONTENTS_CONSISTENT, 0644, &error);
    g_free(data);
    if (!written)
        return LoginItemError{takeMessage(error)};
    return std::nullopt;
}

std::optional<LoginItemError> XdgLoginItem::unregisterItem() {
    if (entryPath_.empty())
        return LoginItemError{"\"" + identifier_ + "\" cannot name a login item"};
    if (g_unlink(entryPath_.c_str()) != 0) {
        const int error = errno;
        if (error != ENOENT)
            return LoginItemError{osError("Could not remove", entryPath_, error)};
    }
    return std::nullopt;
}

} // namespace vontal
