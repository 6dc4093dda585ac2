#pragma once

#include "platform/frontmost/application_catalog.h"

#include <optional>
#include <string>
#include <string_view>

namespace vontal {

// The application behind a Wayland toplevel: who it is (to tell applications apart) and what the
// user calls it.
struct ToplevelApplication {
    std::string identity;
    std::optional<std::string> localizedName;

    bool operator==(const ToplevelApplication&) const = default;
};

// A toplevel's app_id is normally its desktop id without the suffix (a Flatpak id is one too);
// some programs differ from their entry in case only, and Xwayland windows report their X class,
// which entries name as StartupWMClass (KWin
// lower-cases it). An app_id no entry claims stands for itself and is its name, as it is in the
// desktop's own task list; an empty one is no application.
ToplevelApplication resolveAppId(ApplicationCatalog& catalog, std::string_view appId);

} // namespace vontal
