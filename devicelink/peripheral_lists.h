#pragma once

#include "bluetooth.h"

#include <algorithm>
#include <vector>

namespace vontal {

// The manager's lists hold handles; a device may be listed under more than one handle.
inline bool holdsHandle(const std::vector<PeripheralRef>& list, const PeripheralRef& peripheral) {
    return std::find(list.begin(), list.end(), peripheral) != list.end();
}

inline bool holdsDevice(const std::vector<PeripheralRef>& list, const BluetoothUuid& identifier) {
    return std::any_of(list.begin(), list.end(), [&](const PeripheralRef& entry) {
        return entry->identifier() == identifier;
    });
}

} // namespace vontal
