#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vontal {

// An installed application as its desktop entry describes it.
struct CatalogEntry {
    std::string desktopId;     // e.g. "org.gnome.TextEditor.desktop"; identifies the application
    std::string localizedName; // Name in the user's language
};

// The application behind a window: who it is (to tell one application from another) and what the
// user calls it.
struct ResolvedApplication {
    std::string identity;
    std::optional<std::string> localizedName;

    bool operator==(const ResolvedApplication&) const = default;
};

// The installed applications, indexed the ways a window can point at one.
class ApplicationCatalog {
public:
    virtual ~ApplicationCatalog() = default;
    // The entry whose StartupWMClass is exactly this WM_CLASS part.
    virtual std::optional<CatalogEntry> byStartupWmClass(std::string_view wmClass) = 0;
    // The entry whose StartupWMClass matches when ASCII case is ignored (KWin gives X11 classes
    // lower-cased); among several, the first in desktop-id order.
    virtual std::optional<CatalogEntry> byStartupWmClassIgnoringCase(std::string_view wmClass) = 0;
    // The entry with this desktop id (with the ".desktop" suffix).
    virtual std::optional<CatalogEntry> byDesktopId(std::string_view desktopId) = 0;
    // The entry whose desktop id matches this one when ASCII case is ignored; among several, the
    // first in desktop-id order.
    virtual std::optional<CatalogEntry> byDesktopIdIgnoringCase(std::string_view desktopId) = 0;
    // The entry whose Exec program has this file name.
    virtual std::optional<CatalogEntry> byExecutable(std::string_view programName) = 0;
};

// Programs that run other programs: their name says nothing about the application.
bool isInterpreter(std::string_view programName);

} // namespace vontal
