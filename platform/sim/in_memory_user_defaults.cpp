#include "in_memory_user_defaults.h"

namespace vontal {

std::optional<DefaultsValue> InMemoryUserDefaults::valueForKey(const std::string& key) const {
    const auto found = values_.find(key);
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

void InMemoryUserDefaults::setValue(const std::string& key, const DefaultsValue& value) {
    values_[key] = value;
    changes_.push_back({key, value});
}

void InMemoryUserDefaults::removeObjectForKey(const std::string& key) {
    values_.erase(key);
    changes_.push_back({key, std::nullopt});
}

std::vector<std::string> InMemoryUserDefaults::keys() const {
    std::vector<std::string> all;
    for (const auto& entry : values_)
        all.push_back(entry.first);
    return all;
}

} // namespace vontal
