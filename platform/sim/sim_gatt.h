#pragma once

// Service and characteristic handles of the simulator. A new set is made for every connection,
// so a handle kept from an earlier link is recognisably stale.

#include "devicelink/bluetooth.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vontal {

class SimCharacteristic final : public Characteristic {
public:
    SimCharacteristic(const void* owner, std::uint64_t link, BluetoothUuid uuid, int serviceIndex,
                      int index)
        : owner_(owner), link_(link), uuid_(uuid), serviceIndex_(serviceIndex), index_(index) {}

    BluetoothUuid uuid() const override { return uuid_; }
    std::optional<Bytes> value() const override { return value_; }
    bool isNotifying() const override { return notifying_; }

    const void* owner() const { return owner_; }
    std::uint64_t link() const { return link_; }
    int serviceIndex() const { return serviceIndex_; }
    int index() const { return index_; }

    bool discovered = false;
    std::optional<Bytes> value_;
    bool notifying_ = false;

private:
    const void* owner_;
    std::uint64_t link_;
    BluetoothUuid uuid_;
    int serviceIndex_;
    int index_;
};

class SimService final : public Service {
public:
    SimService(const void* owner, std::uint64_t link, BluetoothUuid uuid, int index)
        : owner_(owner), link_(link), uuid_(uuid), index_(index) {}

    BluetoothUuid uuid() const override { return uuid_; }
    std::optional<std::vector<CharacteristicRef>> characteristics() const override {
        return discoveredCharacteristics;
    }

    const void* owner() const { return owner_; }
    std::uint64_t link() const { return link_; }
    int index() const { return index_; }

    bool discovered = false;
    // Every characteristic of the service on this link, in layout order.
    std::vector<std::shared_ptr<SimCharacteristic>> all;
    std::optional<std::vector<CharacteristicRef>> discoveredCharacteristics;

private:
    const void* owner_;
    std::uint64_t link_;
    BluetoothUuid uuid_;
    int index_;
};

} // namespace vontal
