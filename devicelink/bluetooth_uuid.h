#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vontal {

// A 128-bit Bluetooth UUID, compared by value. Peripheral identifiers use the same type; their
// text form (36 characters, upper case) is the key a device's password is stored under.
class BluetoothUuid {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    constexpr BluetoothUuid() = default;
    constexpr explicit BluetoothUuid(const Bytes& bytes) : bytes_(bytes) {}

    // Accepts the 36-character form in either case, and the 4- and 8-digit short forms, which
    // are expanded with the Bluetooth base UUID 0000xxxx-0000-1000-8000-00805F9B34FB.
    static std::optional<BluetoothUuid> parse(std::string_view text);
    // Only the 36-character form, in either case (stored identifiers are always written that way).
    static constexpr std::optional<BluetoothUuid> parseFull(std::string_view text) {
        if (text.size() != 36)
            return std::nullopt;
        Bytes bytes{};
        std::size_t out = 0;
        for (std::size_t i = 0; i < text.size();) {
            if (isHyphenPosition(i)) {
                if (text[i] != '-')
                    return std::nullopt;
                ++i;
                continue;
            }
            const int high = hexDigit(text[i]);
            const int low = hexDigit(text[i + 1]);
            if (high < 0 || low < 0 || isHyphenPosition(i + 1))
                return std::nullopt;
            bytes[out++] = static_cast<std::uint8_t>(high * 16 + low);
            i += 2;
        }
        return BluetoothUuid(bytes);
    }
    // 16 raw bytes, most significant first; any other length gives nothing.
    static std::optional<BluetoothUuid> fromBytes(std::span<const std::uint8_t> bytes);
    // For constants known to be well formed; an invalid text gives the nil UUID.
    static BluetoothUuid fromString(std::string_view text);
    // A 36-character constant, checked and converted at compile time, so constants built from it
    // are ready before any dynamic initialisation runs.
    static consteval BluetoothUuid literal(std::string_view text) {
        const std::optional<BluetoothUuid> uuid = parseFull(text);
        if (!uuid)
            invalidLiteral();
        return uuid.value_or(BluetoothUuid());
    }

    // "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", upper-case hexadecimal.
    std::string toString() const;

    constexpr const Bytes& bytes() const { return bytes_; }
    constexpr bool isNull() const { return bytes_ == Bytes{}; }

    friend constexpr auto operator<=>(const BluetoothUuid&, const BluetoothUuid&) = default;
    friend constexpr bool operator==(const BluetoothUuid&, const BluetoothUuid&) = default;

private:
    static constexpr bool isHyphenPosition(std::size_t i) {
        return i == 8 || i == 13 || i == 18 || i == 23;
    }
    // The digit's value, or -1 for a character that is not a hexadecimal digit.
    static constexpr int hexDigit(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }
    // Not constexpr: reaching it during constant evaluation makes a bad literal a compile error.
    static void invalidLiteral() {}

    Bytes bytes_{};
};

struct BluetoothUuidHash {
    std::size_t operator()(const BluetoothUuid& uuid) const noexcept;
};

} // namespace vontal

template <> struct std::hash<vontal::BluetoothUuid> : vontal::BluetoothUuidHash {};
