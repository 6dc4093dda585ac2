#include "platform/frontmost/app_id_resolver.h"

namespace vontal {

namespace {

std::optional<CatalogEntry> findEntry(ApplicationCatalog& catalog, std::string_view appId) {
    constexpr std::string_view kSuffix = ".desktop";
    std::string desktopId(appId);
    if (!appId.ends_with(kSuffix))
        desktopId += kSuffix;
    if (auto entry = catalog.byDesktopId(desktopId))
        return entry;
    if (auto entry = catalog.byDesktopIdIgnoringCase(desktopId))
        return entry;
    if (auto entry = catalog.byStartupWmClass(appId))
        return entry;
    return catalog.byStartupWmClassIgnoringCase(appId);
}

} // namespace

ToplevelApplication resolveAppId(ApplicationCatalog& catalog, std::string_view appId) {
    if (!appId.empty()) {
        if (auto entry = findEntry(catalog, appId))
            return {entry->desktopId, entry->localizedName};
    }
    // The prefix keeps an unclaimed app_id from ever equalling a desktop id.
    return {"app_id:" + std::string(appId), std::nullopt};
}

} // namespace vontal
