#pragma once

// A characteristic that is only an address: what the backend's bookkeeping keys by.

#include "devicelink/bluetooth.h"

namespace vontal {

class FakeCharacteristic final : public Characteristic {
public:
    BluetoothUuid uuid() const override { return {}; }
    std::optional<Bytes> value() const override { return std::nullopt; }
    bool isNotifying() const override { return false; }
};

} // namespace vontal
