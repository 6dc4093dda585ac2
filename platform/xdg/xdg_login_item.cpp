#include "xdg_login_item.h"

#include "desktop_exec.h"

#include <cerrno>
#include <filesystem>
#include <glib.h>
#include <glib/gstdio.h>
#include <memory>
#include <unistd.h>

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
    std::error_code error;
    if (!std::filesystem::exists(entryPath_, error))
        return LoginItemStatus::NotRegistered;

    auto file = newKeyFile();
    if (!g_key_file_load_from_file(file.get(), entryPath_.c_str(), G_KEY_FILE_NONE, nullptr))
        return LoginItemStatus::RequiresApproval;
    if (booleanOr(file.get(), G_KEY_FILE_DESKTOP_KEY_HIDDEN, false))
        return LoginItemStatus::NotRegistered;
    if (!booleanOr(file.get(), kAutostartEnabled, true) ||
        stringOr(file.get(), G_KEY_FILE_DESKTOP_KEY_TYPE, "") !=
            G_KEY_FILE_DESKTOP_TYPE_APPLICATION ||
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

    gsize length = 0;
    gchar* data = g_key_file_to_data(file.get(), &length, nullptr);
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
