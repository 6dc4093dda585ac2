#pragma once

// The service and characteristic handles the device link holds. They belong to one connection
// of one peripheral; once that link is gone they stay readable but lead nowhere.

#include "devicelink/bluetooth.h"
#include "gatt_requests.h"
#include "identifiers.h"

#include <QLowEnergyCharacteristic>
#include <QLowEnergyService>
#include <QPointer>
#include <QString>
#include <optional>
#include <set>
#include <vector>

namespace vontal {

class QtCharacteristic final : public Characteristic {
public:
    explicit QtCharacteristic(const QLowEnergyCharacteristic& characteristic)
        : characteristic_(characteristic), uuid_(fromQtUuid(characteristic.uuid())) {}

    BluetoothUuid uuid() const override { return uuid_; }
    std::optional<Bytes> value() const override { return value_; }
    bool isNotifying() const override { return notifying_; }

    const QLowEnergyCharacteristic& qt() const { return characteristic_; }
    void setValue(Bytes value) { value_ = std::move(value); }
    void setNotifying(bool notifying) { notifying_ = notifying; }
    // bluetoothd's object for this characteristic; empty while unknown, and then writes take
    // Qt's way.
    const QString& objectPath() const { return objectPath_; }
    void setObjectPath(QString path) { objectPath_ = std::move(path); }

private:
    QLowEnergyCharacteristic characteristic_;
    QString objectPath_;
    BluetoothUuid uuid_;
    std::optional<Bytes> value_;
    bool notifying_ = false;
};

class QtService final : public Service {
public:
    QtService(const QBluetoothUuid& uuid, unsigned connection)
        : qtUuid_(uuid), uuid_(fromQtUuid(uuid)), connection_(connection) {}

    BluetoothUuid uuid() const override { return uuid_; }
    std::optional<std::vector<CharacteristicRef>> characteristics() const override {
        return characteristics_;
    }

    const QBluetoothUuid& qtUuid() const { return qtUuid_; }
    // The connection this handle was made for; requests on an older one are dropped.
    unsigned connection() const { return connection_; }

    QPointer<QLowEnergyService> qt;
    GattRequests requests;
    // Characteristic discoveries asked for and not answered yet.
    std::size_t waitingDiscoveries = 0;
    // What the device link has asked for so far; empty with wantsAll means everything.
    std::set<BluetoothUuid> wanted;
    bool wantsAll = false;
    // Every characteristic Qt knows in this service, in the device's order.
    std::vector<std::shared_ptr<QtCharacteristic>> known;
    // Where bluetoothd keeps the characteristics: looked up once per connection, before the
    // first characteristic discovery is answered, so that each characteristic's writes without
    // response all take one way, in order.
    bool pathsLookedUp = false;

    void setCharacteristics(std::vector<CharacteristicRef> characteristics) {
        characteristics_ = std::move(characteristics);
    }
    std::shared_ptr<QtCharacteristic> find(const QLowEnergyCharacteristic& characteristic) const {
        for (const auto& candidate : known)
            if (candidate->qt() == characteristic)
                return candidate;
        return nullptr;
    }

private:
    QBluetoothUuid qtUuid_;
    BluetoothUuid uuid_;
    unsigned connection_;
    std::optional<std::vector<CharacteristicRef>> characteristics_;
};

} // namespace vontal
