#pragma once

#include "subscription.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vontal {

// Values a per-user store can hold. Only text and text-to-text dictionaries are written by
// vontal; the other kinds exist because a store may hold anything, and the loader must cope.
using DefaultsScalar =
    std::variant<std::string, std::int64_t, double, bool, std::vector<std::uint8_t>>;
using DefaultsDictionary = std::map<std::string, DefaultsScalar>;
using DefaultsValue = std::variant<std::string, std::int64_t, double, bool,
                                   std::vector<std::uint8_t>, DefaultsDictionary>;
using StringDictionary = std::map<std::string, std::string>;

// The per-user persistent store (the standard user defaults).
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    virtual std::optional<DefaultsValue> valueForKey(const std::string& key) const = 0;
    virtual void setValue(const std::string& key, const DefaultsValue& value) = 0;
    virtual void removeObjectForKey(const std::string& key) = 0;
    // Every key that holds a value.
    virtual std::vector<std::string> keys() const = 0;

    // A store that answers some keys from a slower place (the desktop's keyring) may not know yet
    // whether a key it reads as absent holds a value: then a reader that needs the value waits
    // for the next arrival rather than taking "absent" as the answer.
    virtual bool mayStillArrive(const std::string& /*key*/) const { return false; }
    // Told, on the main thread, after values arrived or the store stopped waiting for them.
    [[nodiscard]] virtual Subscription observeArrivals(std::function<void()> /*arrived*/) {
        return {};
    }

    // Text stored under the key; nothing when absent or of another kind.
    std::optional<std::string> stringForKey(const std::string& key) const {
        auto value = valueForKey(key);
        if (value)
            if (auto* text = std::get_if<std::string>(&*value))
                return *text;
        return std::nullopt;
    }
    // The dictionary stored under the key; nothing when absent or of another kind.
    std::optional<DefaultsDictionary> dictionaryForKey(const std::string& key) const {
        auto value = valueForKey(key);
        if (value)
            if (auto* dictionary = std::get_if<DefaultsDictionary>(&*value))
                return *dictionary;
        return std::nullopt;
    }
    void setObject(const std::string& text, const std::string& key) { setValue(key, text); }
    void setDictionary(const StringDictionary& dictionary, const std::string& key) {
        setValue(key, DefaultsDictionary(dictionary.begin(), dictionary.end()));
    }
};

} // namespace vontal
