#include "loginhelper/installed_application.h"

#include <gio/gdesktopappinfo.h>

namespace vontal {

void InstalledApplication::Unref::operator()(GDesktopAppInfo* info) const {
    g_object_unref(info);
}

std::optional<InstalledApplication> InstalledApplication::find(const std::string& identifier) {
    const std::string desktopId = identifier + ".desktop";
    GDesktopAppInfo* info = g_desktop_app_info_new(desktopId.c_str());
    if (info == nullptr) {
        return std::nullopt;
    }
    return InstalledApplication(info);
}

std::optional<std::string> InstalledApplication::launch() const {
    GAppLaunchContext* context = g_app_launch_context_new();
    GError* error = nullptr;
    // GIO spawns through an intermediate process, so the application is re-parented away from us
    // and the launch does not wait for it to start up.
    const gboolean launched = g_app_info_launch(G_APP_INFO(info_.get()), nullptr, context, &error);
    g_object_unref(context);
    if (launched) {
        return std::nullopt;
    }
    std::string description =
        error != nullptr && error->message != nullptr ? error->message : "unknown error";
    g_clear_error(&error);
    return description;
}

} // namespace vontal
