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
    static std::optional<BluetoothUuid> parseFull(std::string_view text);
    // 16 raw bytes, most significant first; any other length gives nothing.
    static std::optional<BluetoothUuid> fromBytes(std::span<const std::uint8_t> bytes);
    // For constants known to be well formed; an invalid text gives the nil UUID.
    static BluetoothUuid fromString(std::string_view text);

    // "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", upper-case hexadecimal.
    std::string toString() const;

    const Bytes& bytes() const { return bytes_; }
    bool isNull() const { return bytes_ == Bytes{}; }

    friend constexpr auto operator<=>(const BluetoothUuid&, const BluetoothUuid&) = default;
    friend constexpr bool operator==(const BluetoothUuid&, const BluetoothUuid&) = default;

private:
    Bytes bytes_{};
};

struct BluetoothUuidHash {
    std::size_t operator()(const BluetoothUuid& uuid) const noexcept;
};

} // namespace vontal

template <> struct std::hash<vontal::BluetoothUuid> : vontal::BluetoothUuidHash {};
