#pragma once

#include "platform/frontmost/application_catalog.h"

#include <string_view>

namespace vontal {

// A toplevel's app_id is normally its desktop id without the suffix (a Flatpak id is one too);
// some programs differ from their entry in case only, and Xwayland windows report their X class,
// which entries name as StartupWMClass (KWin
// lower-cases it). An app_id no entry claims stands for itself and is its name, as it is in the
// desktop's own task list; an empty one is no application.
ResolvedApplication resolveAppId(ApplicationCatalog& catalog, std::string_view appId);

} // namespace vontal
