#pragma once

#include "subscription.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace vontal {

// The application the user brought to the front, as the workspace describes it.
struct RunningApplication {
    std::optional<std::string> localizedName;

    static std::shared_ptr<RunningApplication> named(std::optional<std::string> localizedName) {
        auto app = std::make_shared<RunningApplication>();
        app->localizedName = std::move(localizedName);
        return app;
    }
};

// The key under which an activation notification carries its running application.
inline constexpr const char* kWorkspaceApplicationKey = "NSWorkspaceApplicationKey";
inline constexpr const char* kDidActivateApplicationNotification =
    "NSWorkspaceDidActivateApplicationNotification";

// A user-info entry may hold something other than a running application; the manager checks.
using UserInfoValue = std::variant<std::shared_ptr<RunningApplication>, std::string>;
using UserInfo = std::map<std::string, UserInfoValue>;

struct Notification {
    std::string name = kDidActivateApplicationNotification;
    std::optional<UserInfo> userInfo;

    // The usual shape: an activation of an application with this name.
    static Notification activation(std::optional<std::string> localizedName) {
        return Notification{kDidActivateApplicationNotification,
                            UserInfo{{kWorkspaceApplicationKey,
                                      RunningApplication::named(std::move(localizedName))}}};
    }
};

// The desktop's application-activation notifications, posted on the main thread, one per
// activation.
class Workspace {
public:
    virtual ~Workspace() = default;
    [[nodiscard]] virtual Subscription
    observeActivations(std::function<void(const Notification&)> observer) = 0;

    // The application in front now, described as its activation was; null when no application
    // is in front (no window has had the focus for a while) or this desktop cannot be observed.
    virtual std::shared_ptr<RunningApplication> frontmostApplication() const = 0;
};

} // namespace vontal
