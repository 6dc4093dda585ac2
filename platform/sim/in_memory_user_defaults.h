#pragma once

#include "platform/user_defaults.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vontal {

// User defaults kept in memory. Survives as long as the object, so a second manager over the
// same object sees what the first one stored.
class InMemoryUserDefaults final : public UserDefaults {
public:
    std::optional<DefaultsValue> valueForKey(const std::string& key) const override {
        const auto found = values_.find(key);
        if (found == values_.end())
            return std::nullopt;
        return found->second;
    }
    void setValue(const std::string& key, const DefaultsValue& value) override {
        values_[key] = value;
        changes_.push_back({key, value});
    }
    void removeObjectForKey(const std::string& key) override {
        values_.erase(key);
        changes_.push_back({key, std::nullopt});
    }
    std::vector<std::string> keys() const override {
        std::vector<std::string> all;
        for (const auto& entry : values_)
            all.push_back(entry.first);
        return all;
    }

    // Every stored value, as stored.
    const std::map<std::string, DefaultsValue>& raw() const { return values_; }

    // Every change, in order: the key, and the new value (absent for a removal).
    struct Change {
        std::string key;
        std::optional<DefaultsValue> value;
    };
    const std::vector<Change>& changes() const { return changes_; }
    void clearChanges() { changes_.clear(); }

private:
    std::map<std::string, DefaultsValue> values_;
    std::vector<Change> changes_;
};

} // namespace vontal
