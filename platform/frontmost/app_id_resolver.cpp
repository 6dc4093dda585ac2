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

ResolvedApplication resolveAppId(ApplicationCatalog& catalog, std::string_view appId) {
    if (appId.empty())
        return {"app_id:", std::nullopt};
    if (auto entry = findEntry(catalog, appId))
        return {entry->desktopId, entry->localizedName};
    // The prefix keeps an unclaimed app_id from ever equalling a desktop id. Its name is the id
    // as the desktop shows it, without the suffix of an entry that is not installed.
    constexpr std::string_view kSuffix = ".desktop";
    std::string_view name = appId;
    if (name.size() > kSuffix.size() && name.ends_with(kSuffix))
        name.remove_suffix(kSuffix.size());
    return {"app_id:" + std::string(appId), std::string(name)};
}

} // namespace vontal
