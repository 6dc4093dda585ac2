#include "vontal_ids.h"

#include <clocale>
#include <gio/gdesktopappinfo.h>
#include <memory>
#include <optional>
#include <string>
#include <syslog.h>

namespace vontal {

namespace {

// The system log, opened for the life of the object. Every message is also written to standard
// error, so it shows up in a terminal and in the session's journal even without a syslog daemon.
class SystemLog {
public:
    // openlog keeps the pointer, so ident must outlive the log; callers pass a literal.
    explicit SystemLog(const char* ident) { openlog(ident, LOG_PERROR, LOG_USER); }
    ~SystemLog() { closelog(); }
    SystemLog(const SystemLog&) = delete;
    SystemLog& operator=(const SystemLog&) = delete;

    // Writes the message as it is: percent signs in it are text, not conversions.
    void error(const std::string& message) { syslog(LOG_ERR, "%s", message.c_str()); }
};

// An application installed for this user, known by its desktop-entry identifier.
class InstalledApplication {
public:
    // Looks for "<identifier>.desktop" in the XDG data directories, the way the session's menus
    // do: entries that are hidden or whose program is not installed do not count.
    static std::optional<InstalledApplication> find(const std::string& identifier) {
        const std::string desktopId = identifier + ".desktop";
        GDesktopAppInfo* info = g_desktop_app_info_new(desktopId.c_str());
        if (info == nullptr) {
            return std::nullopt;
        }
        return InstalledApplication(info);
    }

    // Starts the application with a default launch context and returns as soon as it has been
    // spawned. The new process is detached: it is not our child and outlives us. Nothing on
    // success, the error's description on failure.
    std::optional<std::string> launch() const {
        GAppLaunchContext* context = g_app_launch_context_new();
        GError* error = nullptr;
        // GIO spawns through an intermediate process, so the application is re-parented away
        // from us and the launch does not wait for it to start up.
        const gboolean launched =
            g_app_info_launch(G_APP_INFO(info_.get()), nullptr, context, &error);
        g_object_unref(context);
        if (launched) {
            return std::nullopt;
        }
        std::string description =
            error != nullptr && error->message != nullptr ? error->message : "unknown error";
        g_clear_error(&error);
        return description;
    }

private:
    explicit InstalledApplication(GDesktopAppInfo* info) : info_(info, g_object_unref) {}

    std::unique_ptr<GDesktopAppInfo, void (*)(gpointer)> info_;
};

} // namespace

// The login helper. Its constructor does the whole job in one pass: find vontal by its identifier,
// launch it without waiting for the outcome, and report a failure to the system log. Nothing is
// retried and nothing is kept; the process can end as soon as the constructor returns.
class vontalloginhelperApp {
public:
    vontalloginhelperApp();
};

vontalloginhelperApp::vontalloginhelperApp() {
    SystemLog log("vontalloginhelper");
    const std::string identifier = kMainIdentifier;

    const auto application = InstalledApplication::find(identifier);
    if (!application) {
        log.error("Could not find application URL for bundle ID " + identifier);
        return;
    }
    if (const auto error = application->launch()) {
        log.error("Failed to launch Vontal: " + *error);
    }
}

} // namespace vontal

int main() {
    // Error descriptions from GIO follow the session's language.
    std::setlocale(LC_ALL, "");
    vontal::vontalloginhelperApp app;
    return 0;
}
