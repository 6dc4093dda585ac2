#include "platform/frontmost/gio_application_catalog.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <map>
#include <string>
#include <vector>

namespace vontal {

namespace {

struct Indexes {
    std::map<std::string, CatalogEntry, std::less<>> byStartupWmClass;
    std::map<std::string, CatalogEntry, std::less<>> byLowerCaseStartupWmClass;
    std::map<std::string, CatalogEntry, std::less<>> byDesktopId;
    std::map<std::string, CatalogEntry, std::less<>> byLowerCaseDesktopId;
    std::map<std::string, CatalogEntry, std::less<>> byExecutable;
};

struct IndexedApp {
    CatalogEntry entry;
    std::string startupWmClass;
    std::string program;
};

std::vector<IndexedApp> installedApps() {
    std::vector<IndexedApp> apps;
    GList* all = g_app_info_get_all();
    for (GList* item = all; item != nullptr; item = item->next) {
        auto* info = static_cast<GAppInfo*>(item->data);
        const char* id = g_app_info_get_id(info);
        const char* name = g_app_info_get_name(info);
        if (id == nullptr || name == nullptr)
            continue;
        IndexedApp app{CatalogEntry{id, name}, {}, {}};
        if (G_IS_DESKTOP_APP_INFO(info)) {
            if (const char* wmClass =
                    g_desktop_app_info_get_startup_wm_class(G_DESKTOP_APP_INFO(info)))
                app.startupWmClass = wmClass;
        }
        if (const char* executable = g_app_info_get_executable(info))
            app.program = std::filesystem::path(executable).filename().string();
        apps.push_back(std::move(app));
    }
    g_list_free_full(all, g_object_unref);
    // GIO hands the entries out in hash order; sorting makes every tie go the same way.
    std::sort(apps.begin(), apps.end(), [](const IndexedApp& a, const IndexedApp& b) {
        return a.entry.desktopId < b.entry.desktopId;
    });
    return apps;
}

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

Indexes buildIndexes() {
    Indexes indexes;
    const auto apps = installedApps();
    for (const auto& app : apps) {
        indexes.byDesktopId.emplace(app.entry.desktopId, app.entry);
        indexes.byLowerCaseDesktopId.emplace(asciiLower(app.entry.desktopId), app.entry);
        if (!app.startupWmClass.empty()) {
            indexes.byStartupWmClass.emplace(app.startupWmClass, app.entry);
            indexes.byLowerCaseStartupWmClass.emplace(asciiLower(app.startupWmClass), app.entry);
        }
    }
    // An entry that names its windows' class has already had its chance to claim a window by that
    // class, so for a program run by several entries the one without StartupWMClass comes first.
    for (const bool withWmClass : {false, true}) {
        for (const auto& app : apps) {
            if (app.startupWmClass.empty() == withWmClass || app.program.empty() ||
                isInterpreter(app.program))
                continue;
            indexes.byExecutable.emplace(app.program, app.entry);
        }
    }
    return indexes;
}

std::optional<CatalogEntry> find(const std::map<std::string, CatalogEntry, std::less<>>& index,
                                 std::string_view key) {
    const auto it = index.find(key);
    if (it == index.end())
        return std::nullopt;
    return it->second;
}

} // namespace

struct GioApplicationCatalog::Impl {
    explicit Impl(Timers* timers) : timers(timers) {}

    GAppInfoMonitor* monitor = nullptr;
    gulong changedHandler = 0;
    Timers* timers;
    Subscription settle;
    Subscription longest;
    guint glibSettle = 0;
    guint glibLongest = 0;
    std::uint64_t builds = 0;
    Indexes indexes;

    static void onChanged(GAppInfoMonitor*, gpointer self) { static_cast<Impl*>(self)->changed(); }

    // A package install, or a program that keeps rewriting its entry, changes files in bursts;
    // rebuilding per change, or per lookup after one, costs a whole read of every entry each time.
    // So each change puts the rebuild off until the entries have been quiet for kSettleTime, but
    // never longer than kLongestWait after the first change; lookups meanwhile use the last build.
    // (GIO itself reports a change once and then waits until the entries are read again.)
    void changed() {
        if (timers) {
            if (!longest.active())
                longest =
                    timers->singleShot(GioApplicationCatalog::kLongestWait, [this] { rebuild(); });
            settle = timers->singleShot(GioApplicationCatalog::kSettleTime, [this] { rebuild(); });
            return;
        }
        if (glibLongest == 0)
            glibLongest = g_timeout_add(
                static_cast<guint>(GioApplicationCatalog::kLongestWait.count()),
                [](gpointer self) {
                    static_cast<Impl*>(self)->glibLongest = 0;
                    static_cast<Impl*>(self)->rebuild();
                    return G_SOURCE_REMOVE;
                },
                this);
        if (glibSettle != 0)
            g_source_remove(glibSettle);
        glibSettle = g_timeout_add(
            static_cast<guint>(GioApplicationCatalog::kSettleTime.count()),
            [](gpointer self) {
                static_cast<Impl*>(self)->glibSettle = 0;
                static_cast<Impl*>(self)->rebuild();
                return G_SOURCE_REMOVE;
            },
            this);
    }

    void cancelPending() {
        settle.cancel();
        longest.cancel();
        for (guint* source : {&glibSettle, &glibLongest}) {
            if (*source != 0)
                g_source_remove(*source);
            *source = 0;
        }
    }

    void rebuild() {
        cancelPending();
        indexes = buildIndexes();
        ++builds;
    }
};

GioApplicationCatalog::GioApplicationCatalog(Timers* timers)
    : impl_(std::make_unique<Impl>(timers)) {
    impl_->monitor = g_app_info_monitor_get();
    impl_->changedHandler =
        g_signal_connect(impl_->monitor, "changed", G_CALLBACK(&Impl::onChanged), impl_.get());
    impl_->rebuild();
}

GioApplicationCatalog::~GioApplicationCatalog() {
    impl_->cancelPending();
    g_signal_handler_disconnect(impl_->monitor, impl_->changedHandler);
    g_object_unref(impl_->monitor);
}

std::optional<CatalogEntry> GioApplicationCatalog::byStartupWmClass(std::string_view wmClass) {
    return find(impl_->indexes.byStartupWmClass, wmClass);
}

std::optional<CatalogEntry>
GioApplicationCatalog::byStartupWmClassIgnoringCase(std::string_view wmClass) {
    return find(impl_->indexes.byLowerCaseStartupWmClass, asciiLower(wmClass));
}

std::optional<CatalogEntry> GioApplicationCatalog::byDesktopId(std::string_view desktopId) {
    return find(impl_->indexes.byDesktopId, desktopId);
}

std::optional<CatalogEntry>
GioApplicationCatalog::byDesktopIdIgnoringCase(std::string_view desktopId) {
    return find(impl_->indexes.byLowerCaseDesktopId, asciiLower(desktopId));
}

std::optional<CatalogEntry> GioApplicationCatalog::byExecutable(std::string_view programName) {
    return find(impl_->indexes.byExecutable, programName);
}

std::uint64_t GioApplicationCatalog::builds() const {
    return impl_->builds;
}

bool isInterpreter(std::string_view programName) {
    // python3.11, lua5.4, electron25: the version does not make it an application.
    while (!programName.empty() &&
           ((programName.back() >= '0' && programName.back() <= '9') || programName.back() == '.'))
        programName.remove_suffix(1);
    static constexpr std::array<std::string_view, 24> kInterpreters = {
        "sh",   "bash", "dash",  "zsh",  "ksh",    "fish",     "env",  "python",
        "perl", "ruby", "java",  "node", "nodejs", "electron", "mono", "gjs",
        "lua",  "php",  "tclsh", "wish", "wine",   "flatpak",  "snap", "pkexec",
    };
    for (const auto interpreter : kInterpreters) {
        if (programName == interpreter)
            return true;
    }
    return false;
}

} // namespace vontal
