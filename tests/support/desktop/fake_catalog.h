#pragma once

#include "platform/frontmost/application_catalog.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vontal {

// Installed applications made up by a test: entries by desktop id, and the WM classes and
// programs that point at them.
class FakeCatalog final : public ApplicationCatalog {
public:
    std::map<std::string, CatalogEntry, std::less<>> wmClasses, ids, programs;

    void add(const std::string& id, const std::string& name) { ids[id] = {id, name}; }
    void addWmClass(const std::string& wmClass, const std::string& id) {
        wmClasses[wmClass] = ids.at(id);
    }
    void addProgram(const std::string& program, const std::string& id) {
        programs[program] = ids.at(id);
    }

    std::optional<CatalogEntry> byStartupWmClass(std::string_view key) override {
        return find(wmClasses, key);
    }
    std::optional<CatalogEntry> byDesktopId(std::string_view key) override {
        return find(ids, key);
    }
    std::optional<CatalogEntry> byDesktopIdIgnoringCase(std::string_view key) override {
        return findIgnoringCase(ids, key);
    }
    std::optional<CatalogEntry> byStartupWmClassIgnoringCase(std::string_view key) override {
        return findIgnoringCase(wmClasses, key);
    }
    std::optional<CatalogEntry> byExecutable(std::string_view key) override {
        return find(programs, key);
    }

private:
    static std::optional<CatalogEntry>
    findIgnoringCase(const std::map<std::string, CatalogEntry, std::less<>>& m,
                     std::string_view key) {
        for (const auto& [name, entry] : m) {
            if (std::equal(name.begin(), name.end(), key.begin(), key.end(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) ==
                           std::tolower(static_cast<unsigned char>(b));
                }))
                return entry;
        }
        return std::nullopt;
    }
    static std::optional<CatalogEntry>
    find(const std::map<std::string, CatalogEntry, std::less<>>& m, std::string_view key) {
        const auto it = m.find(key);
        return it == m.end() ? std::nullopt : std::optional(it->second);
    }
};

} // namespace vontal
