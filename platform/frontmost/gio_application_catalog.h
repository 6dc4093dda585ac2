#pragma once

#include "platform/frontmost/application_catalog.h"
#include "platform/timers.h"

#include <chrono>
#include <cstdint>
#include <memory>

namespace vontal {

// The installed desktop entries as GIO sees them: XDG_DATA_HOME and XDG_DATA_DIRS in priority
// order, hidden entries and entries whose program is missing left out, names in the language of
// LANGUAGE/LC_ALL/LC_MESSAGES/LANG. The indexes are built once, and again once a burst of changes
// to the installed entries has settled (lookups meanwhile answer from the previous build); GIO's
// report of a change
// arrives through the GLib main context of the thread that created the catalog, which must be
// running (Qt's event loop runs it on Linux).
class GioApplicationCatalog final : public ApplicationCatalog {
public:
    // The rebuild waits until no change came for kSettleTime, at most kLongestWait in all.
    static constexpr std::chrono::milliseconds kSettleTime{500};
    static constexpr std::chrono::milliseconds kLongestWait{5000};

    // The rebuild after a change waits on `timers` (not owned; it outlives the catalog), or on a
    // GLib timeout when null.
    explicit GioApplicationCatalog(Timers* timers = nullptr);
    ~GioApplicationCatalog() override;
    GioApplicationCatalog(const GioApplicationCatalog&) = delete;
    GioApplicationCatalog& operator=(const GioApplicationCatalog&) = delete;

    std::optional<CatalogEntry> byStartupWmClass(std::string_view wmClass) override;
    std::optional<CatalogEntry> byStartupWmClassIgnoringCase(std::string_view wmClass) override;
    std::optional<CatalogEntry> byDesktopId(std::string_view desktopId) override;
    std::optional<CatalogEntry> byDesktopIdIgnoringCase(std::string_view desktopId) override;
    std::optional<CatalogEntry> byExecutable(std::string_view programName) override;

    // How many times the indexes have been built.
    std::uint64_t builds() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace vontal
