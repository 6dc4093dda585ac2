#pragma once

#include "platform/user_defaults.h"

#include <QString>
#include <memory>
#include <string>

class QSettings;

namespace vontal {

// The user defaults in one private JSON file, through QSettings (which brings the file lock and
// the merge of changes made by another vontal process). The file holds device passwords in clear:
// it and its directory are private to the user, every change is written through before the call
// returns, by replacing the file whole, and a file that cannot be read is kept aside, never
// overwritten.
class SettingsDefaults final : public UserDefaults {
public:
    explicit SettingsDefaults(const std::string& path);
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
