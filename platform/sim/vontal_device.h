#pragma once

#include "sim_device.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vontal {

// The identifier a Linux backend gives a device: its 48-bit address in the low bits
// (0xC0FFEE000001 gives 00000000-0000-0000-0000-C0FFEE000001).
BluetoothUuid identifierForAddress(std::uint64_t address);

// A device of the kind vontal talks to: it advertises the custom service, which holds the
// password, data and device-name characteristics in that order.
SimDeviceSpec vontalDevice(BluetoothUuid identifier, std::optional<std::string> name,
                           std::optional<std::string> password,
                           std::optional<std::string> customName = std::nullopt);

} // namespace vontal
