#pragma once

#include "platform/user_defaults.h"

#include <QString>
#include <memory>
#include <string>

class QSettings;

namespace vontal {

class Diagnostics;

// The user defaults in one private JSON file, through QSettings (which brings the file lock and
// the merge of changes made by another vontal process). The file holds device passwords in clear:
// it and its directory are private to the user, every change is written through before the call
// returns, by replacing the file whole, and a file that cannot be read is kept aside, never
// overwritten.
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
    ~SettingsDefaults() override;
    SettingsDefaults(const SettingsDefaults&) = delete;
    SettingsDefaults& operator=(const SettingsDefaults&) = delete;

    // The user's file: <user configuration directory>/vontal/vontal.json.
    static std::string defaultPath();

    std::optional<DefaultsValue> valueForKey(const std::string& key) const override;
    void setValue(const std::string& key, const DefaultsValue& value) override;
    void removeObjectForKey(const std::string& key) override;

private:
    void writeThrough();

    QString path_;
    std::unique_ptr<QSettings> settings_;
    bool reportedWriteFailure_ = false;
};

} // namespace vontal
