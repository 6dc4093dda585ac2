#include "bluetooth_uuid.h"

#include <algorithm>

namespace vontal {
namespace {

constexpr std::string_view kBaseUuidTail = "-0000-1000-8000-00805F9B34FB";

} // namespace

std::optional<BluetoothUuid> BluetoothUuid::parse(std::string_view text) {
    if (text.size() == 4 || text.size() == 8) {
        if (!std::all_of(text.begin(), text.end(), [](char c) { return hexDigit(c) >= 0; }))
            return std::nullopt;
        std::string full(8 - text.size(), '0');
        full.append(text);
        full.append(kBaseUuidTail);
        return parseFull(full);
    }
    return parseFull(text);
}

std::optional<BluetoothUuid> BluetoothUuid::fromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != 16)
        return std::nullopt;
    Bytes copy{};
    std::copy(bytes.begin(), bytes.end(), copy.begin());
    return BluetoothUuid(copy);
}

BluetoothUuid BluetoothUuid::fromString(std::string_view text) {
    return parse(text).value_or(BluetoothUuid());
}

std::string BluetoothUuid::toString() const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text.push_back('-');
        text.push_back(kDigits[bytes_[i] >> 4]);
        text.push_back(kDigits[bytes_[i] & 0x0F]);
    }
    return text;
}

std::size_t BluetoothUuidHash::operator()(const BluetoothUuid& uuid) const noexcept {
    // FNV-1a over the 16 bytes: identifiers are random enough that this spreads well.
    std::size_t hash = 14695981039346656037ULL;
    for (std::uint8_t byte : uuid.bytes()) {
        hash ^= byte;
        hash *= 1099511628211ULL;
    }
    return hash;
}

} // namespace vontal
