#pragma once

#include "platform/user_defaults.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace vontal::testing {

// One entry of every value kind, under keys that a naive QSettings mapping would merge, trim or
// refuse. Shared by the test and the child process that reads or writes them after a "restart".
inline std::vector<std::pair<std::string, DefaultsValue>> sampleEntries() {
    using namespace std::string_literals;
    const std::vector<std::uint8_t> someBytes{0, 1, 127, 128, 255};
    return {
        {"vontal.deviceNames",
         DefaultsDictionary{{"A1B2C3D4-0000-4000-8000-00000000ABCD", "Kitchen"s},
                            {"00000000-0000-0000-0000-C0FFEE000001", ""s}}},
        {"A1B2C3D4-0000-4000-8000-00000000ABCD", "p\u00e4ssw\u00f6rd \u2713 \"q\" \\ / % \u2014"s},
        {"a1b2c3d4-0000-4000-8000-00000000abcd", "lower-case twin"s},
        {"a//b/", "slashes"s},
        {"a/b", "single slash"s},
        {"/leading", "leading slash"s},
        {"", "empty key"s},
        {"%", "lone percent"s},
        {"%2F", "looks escaped"s},
        {"back\\slash", "backslash"s},
        {"multi\nline", "tab\tnewline\nnul\0end"s},
        {"int max", std::int64_t{std::numeric_limits<std::int64_t>::max()}},
        {"int min", std::int64_t{std::numeric_limits<std::int64_t>::min()}},
        {"real", 0.1},
        {"whole real", 5.0},
        {"negative zero", -0.0},
        {"tiny", 5e-324},
        {"infinity", std::numeric_limits<double>::infinity()},
        {"flag", false},
        {"bytes", someBytes},
        {"no bytes", std::vector<std::uint8_t>{}},
        {"mixed dictionary", DefaultsDictionary{{"number", std::int64_t{7}},
                                                {"text", "seven"s},
                                                {"real", 7.5},
                                                {"flag", true},
                                                {"bytes", someBytes},
                                                {"a/b", "slash in a dictionary key"s}}},
        {"empty dictionary", DefaultsDictionary{}},
    };
}

// The crash test's entries: the n-th save of the storm writes stormValue(n) under stormKey(n).
inline std::string stormKey(long n) {
    return "storm-" + std::to_string(n);
}
// Long enough that a save takes a while, so kills land inside writes as well as between them.
inline std::string stormValue(long n) {
    return std::to_string(n) + ':' + std::string(200, 'x');
}

// Equality, except that reals compare by their bits (-0.0 must not pass for 0.0).
inline bool sameValue(const DefaultsValue& a, const DefaultsValue& b) {
    if (const auto* x = std::get_if<double>(&a)) {
        const auto* y = std::get_if<double>(&b);
        return y && std::memcmp(x, y, sizeof(double)) == 0;
    }
    return a == b;
}

} // namespace vontal::testing
