#pragma once

#include "platform/user_defaults.h"
#include "settings_json.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

namespace vontal {

class Diagnostics;

// The user defaults in one private JSON file. The file holds device passwords in clear: it and its
// directory are private to the user, every change is written through before the call returns, by
// replacing the file whole, and a file that cannot be read is kept aside, never overwritten.
//
// The whole store is kept in memory and every write carries all of it, so a file or folder removed
// while vontal runs comes back whole with the next change. Writers serialise on "<file>.lock"; a
// file another process replaced since it was last read here is read again first and the change is
// made on top of it.
//
// Only a regular file of at most kMaxFileBytes is read. Anything else at the path (a device, a
// FIFO, a file grown past the limit) is kept aside like an unreadable file and the store starts
// empty: reading it could block the start for good or exhaust memory. A change that would make the
// file larger than the limit is refused, with one line.
//
// Entries vontal does not read (a newer vontal's, or of a kind vontal does not expect under its own
// keys) read as absent and are written back exactly as the file held them, until vontal sets or
// removes that key itself; entries of vontal's keys read past are named in one line each at start.
//
// A symbolic link at the path is followed (dotfile managers keep the real file elsewhere): its
// target is read and replaced, and the link stays. A target that is not a settings file is not
// touched; the link is kept aside instead. A file vontal does not write keeps its mode: one kept
// aside, and one its owner made read-only, which vontal then leaves as it is.
class SettingsDefaults final : public UserDefaults {
public:
    // Entries read past because of their type or form are named to `diagnostics`, one line
    // each, when it is given.
    explicit SettingsDefaults(const std::string& path, Diagnostics* diagnostics = nullptr);

    static constexpr std::int64_t kMaxFileBytes = 16 * 1024 * 1024;
    ~SettingsDefaults() override;
    SettingsDefaults(const SettingsDefaults&) = delete;
    SettingsDefaults& operator=(const SettingsDefaults&) = delete;

    // The user's file: <user configuration directory>/vontal/vontal.json.
    static std::string defaultPath();

    std::optional<DefaultsValue> valueForKey(const std::string& key) const override;
    void setValue(const std::string& key, const DefaultsValue& value) override;
    void removeObjectForKey(const std::string& key) override;
    std::vector<std::string> keys() const override;

    // What identifies one version of the file: it changes when anyone replaces or rewrites it.
    struct Stamp {
        std::uint64_t device = 0, inode = 0;
        std::int64_t size = -1, modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };

private:
    // Applies `change` to the store as the file now holds it and writes the result whole.
    void writeThrough(const std::function<void(SettingsEntries&)>& change);

    QString path_;
    // Entries as settings_json.h keeps them: what vontal does not set itself goes back to the file
    // as it was read, whatever its kind.
    SettingsEntries entries_;
    // The file as it was last read or written here; missing when it was not there.
    Stamp stamp_;
    bool reportedWriteFailure_ = false;
    bool reportedTooLarge_ = false;
};

} // namespace vontal
