#pragma once

#include <memory>
#include <optional>
#include <string>

typedef struct _GDesktopAppInfo GDesktopAppInfo;

namespace vontal {

// An application installed for this user, known by its desktop-entry identifier.
class InstalledApplication {
public:
    // Looks for "<identifier>.desktop" in the XDG data directories, the way the session's menus
    // do: entries that are hidden or whose program is not installed do not count.
    static std::optional<InstalledApplication> find(const std::string& identifier);

    // Starts the application with a default launch context and returns as soon as it has been
    // spawned. The new process is detached: it is not our child and outlives us. Nothing on
    // success, the error's description on failure.
    std::optional<std::string> launch() const;

private:
    struct Unref {
        void operator()(GDesktopAppInfo* info) const;
    };
    explicit InstalledApplication(GDesktopAppInfo* info) : info_(info) {}

    std::unique_ptr<GDesktopAppInfo, Unref> info_;
};

} // namespace vontal
