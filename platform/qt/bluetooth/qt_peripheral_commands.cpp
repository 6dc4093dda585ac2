// Writes without response (names and keep-alives) go straight to bluetoothd's characteristic
// object instead of through Qt, whose BlueZ backend makes a blocking round trip per
// characteristic before every write. Writes with response keep Qt's way: their answers and
// refusals come back through Qt's signals.

#include "bluez/bluez_client.h"
#include "qt_peripheral.h"

#include <algorithm>

namespace vontal {

void QtPeripheral::lookUpObjectPaths(const std::shared_ptr<QtService>& service) {
    service->pathsLookedUp = true;
    auto link = link_.lock();
    // Only BlueZ has object paths, and it knows devices by address.
    if (!link || !link->bluez || !controller_ || info_.address().isNull())
        return;
    const auto found =
        link->bluez->characteristics(info_.address(), link->adapter, service->uuid());
    if (found.mtu)
        linkMtu_ = found.mtu;
    for (const auto& characteristic : service->known) {
        const auto path = found.paths.find(characteristic->uuid());
        if (path == found.paths.end())
            continue;
        // Qt lists what bluetoothd lists; a UUID it lists twice stays on Qt's way all the same.
        const auto sameUuid =
            std::count_if(service->known.begin(), service->known.end(), [&](const auto& other) {
                return other->uuid() == characteristic->uuid();
            });
        if (sameUuid == 1)
            characteristic->setObjectPath(path->second);
    }
}

bool QtPeripheral::sendCommand(const std::shared_ptr<QtCharacteristic>& target,
                               const Bytes& value) {
    if (target->objectPath().isEmpty() || !controller_)
        return false;
    // bluetoothd's reply is what paces the device link: past a few hundred pending calls the
    // system bus refuses more, so the writer waits for the answer rather than piling them up.
    ++commandsInFlight_;
    BluezClient::writeCommand(
        controller_.data(), target->objectPath(),
        QByteArray(reinterpret_cast<const char*>(value.data()),
                   static_cast<qsizetype>(value.size())),
        forThisConnection([target](QtPeripheral& self, const std::optional<QString>& failure) {
            if (failure) {
                self.reportToDelegate(
                    [target, error = Error{failure->toStdString()}](
                        PeripheralDelegate& delegate, const PeripheralRef& peripheral) {
                        delegate.didFailWriteWithoutResponse(peripheral, target, error);
                    });
            }
            if (self.commandsInFlight_ > 0 && --self.commandsInFlight_ == 0) {
                self.reportToDelegate(
                    [](PeripheralDelegate& delegate, const PeripheralRef& peripheral) {
                        delegate.peripheralIsReadyToSendWriteWithoutResponse(peripheral);
                    });
            }
        }));
    return true;
}

std::optional<std::size_t> QtPeripheral::maximumWriteValueLength(WriteType type) const {
    // Only what bluetoothd says of the link; Qt's own figure is not kept up to date on BlueZ.
    if (type != WriteType::WithoutResponse || state_ != PeripheralState::Connected || !linkMtu_)
        return std::nullopt;
    return static_cast<std::size_t>(*linkMtu_ - 3);
}

} // namespace vontal
