// Services, characteristics, reads, writes and notifications of a connected peripheral.

#include "identifiers.h"
#include "qt_peripheral.h"

#include <algorithm>
#include <utility>

namespace vontal {

namespace {

Bytes toBytes(const QByteArray& value) {
    return Bytes(value.begin(), value.end());
}

QByteArray toQByteArray(const Bytes& value) {
    return QByteArray(reinterpret_cast<const char*>(value.data()),
                      static_cast<qsizetype>(value.size()));
}

bool wanted(const std::vector<BluetoothUuid>& filter, const BluetoothUuid& uuid) {
    return filter.empty() || std::find(filter.begin(), filter.end(), uuid) != filter.end();
}

const QBluetoothUuid
    kClientConfiguration(QBluetoothUuid::DescriptorType::ClientCharacteristicConfiguration);

} // namespace

std::optional<std::vector<ServiceRef>> QtPeripheral::services() const {
    if (!services_)
        return std::nullopt;
    return std::vector<ServiceRef>(services_->begin(), services_->end());
}

void QtPeripheral::discoverServices(const std::vector<BluetoothUuid>& serviceUuids) {
    if (state_ != PeripheralState::Connected || !controller_)
        return;
    serviceFilter_ = serviceUuids;
    serviceDiscoveryWaiting_ = true;
    switch (controller_->state()) {
    case QLowEnergyController::DiscoveredState:
        finishServiceDiscovery(std::nullopt);
        break;
    case QLowEnergyController::DiscoveringState:
        break; // discoveryFinished follows
    default:
        controller_->discoverServices();
        break;
    }
}

void QtPeripheral::onServiceDiscoveryFinished() {
    if (serviceDiscoveryWaiting_)
        finishServiceDiscovery(std::nullopt);
}

void QtPeripheral::finishServiceDiscovery(const std::optional<Error>& error) {
    serviceDiscoveryWaiting_ = false;
    if (!error && controller_) {
        if (!services_)
            services_.emplace();
        for (const QBluetoothUuid& uuid : controller_->services()) {
            const BluetoothUuid id = fromQtUuid(uuid);
            if (!wanted(serviceFilter_, id))
                continue;
            const bool known =
                std::any_of(services_->begin(), services_->end(),
                            [&](const auto& service) { return service->uuid() == id; });
            if (!known)
                services_->push_back(std::make_shared<QtService>(uuid, connection_));
        }
    }
    reportToDelegate([error](PeripheralDelegate& delegate, const PeripheralRef& self) {
        delegate.didDiscoverServices(self, error);
    });
}

std::shared_ptr<QtService> QtPeripheral::liveService(const ServiceRef& service) const {
    auto qtService = std::dynamic_pointer_cast<QtService>(service);
    if (!qtService || qtService->connection() != connection_ || !services_ ||
        state_ != PeripheralState::Connected || !controller_)
        return nullptr;
    const bool ours =
        std::find(services_->begin(), services_->end(), qtService) != services_->end();
    return ours ? qtService : nullptr;
}

std::pair<std::shared_ptr<QtService>, std::shared_ptr<QtCharacteristic>>
QtPeripheral::liveCharacteristic(const CharacteristicRef& characteristic) const {
    if (!services_ || state_ != PeripheralState::Connected)
        return {};
    for (const auto& service : *services_) {
        for (const auto& known : service->known) {
            if (known == characteristic && service->qt)
                return {service, known};
        }
    }
    return {};
}

void QtPeripheral::discoverCharacteristics(const std::vector<BluetoothUuid>& characteristicUuids,
                                           const ServiceRef& serviceRef) {
    auto service = liveService(serviceRef);
    if (!service)
        return;
    if (characteristicUuids.empty())
        service->wantsAll = true;
    service->wanted.insert(characteristicUuids.begin(), characteristicUuids.end());
    ++service->waitingDiscoveries;
    if (!service->qt)
        attachService(service);
    if (!service->qt) {
        finishCharacteristicDiscovery(service, Error{"The service is no longer available."});
        return;
    }
    switch (service->qt->state()) {
    case QLowEnergyService::RemoteServiceDiscovered:
        finishCharacteristicDiscovery(service, std::nullopt);
        break;
    case QLowEnergyService::RemoteServiceDiscovering:
        break; // stateChanged follows
    default:
        // Values are read only when the device link asks: reading them all here would reach
        // the device as reads nobody requested.
        service->qt->discoverDetails(QLowEnergyService::SkipValueDiscovery);
        break;
    }
}

void QtPeripheral::attachService(const std::shared_ptr<QtService>& service) {
    QLowEnergyService* qt = controller_->createServiceObject(service->qtUuid(), controller_.data());
    if (!qt)
        return;
    service->qt = qt;
    std::weak_ptr<QtService> weakService = service;
    auto withService = [this, weakService](auto handler) {
        return forThisConnection([weakService, handler](QtPeripheral& self, auto&&... args) {
            if (auto service = weakService.lock())
                std::invoke(handler, self, service, std::forward<decltype(args)>(args)...);
        });
    };
    QObject::connect(qt, &QLowEnergyService::stateChanged, qt,
                     withService(&QtPeripheral::onServiceState));
    QObject::connect(qt, &QLowEnergyService::characteristicRead, qt,
                     withService(&QtPeripheral::onCharacteristicRead));
    QObject::connect(qt, &QLowEnergyService::characteristicWritten, qt,
                     withService(&QtPeripheral::onCharacteristicWritten));
    QObject::connect(qt, &QLowEnergyService::characteristicChanged, qt,
                     withService(&QtPeripheral::onCharacteristicChanged));
    QObject::connect(qt, &QLowEnergyService::descriptorWritten, qt,
                     withService(&QtPeripheral::onDescriptorWritten));
    QObject::connect(qt, &QLowEnergyService::errorOccurred, qt,
                     withService(&QtPeripheral::onServiceError));
}

void QtPeripheral::onServiceState(const std::shared_ptr<QtService>& service,
                                  QLowEnergyService::ServiceState state) {
    if (state == QLowEnergyService::RemoteServiceDiscovered && service->waitingDiscoveries > 0)
        finishCharacteristicDiscovery(service, std::nullopt);
}

void QtPeripheral::finishCharacteristicDiscovery(const std::shared_ptr<QtService>& service,
                                                 const std::optional<Error>& error) {
    if (!error && service->qt) {
        std::vector<std::shared_ptr<QtCharacteristic>> known;
        for (const QLowEnergyCharacteristic& characteristic : service->qt->characteristics()) {
            auto handle = service->find(characteristic);
            if (!handle)
                handle = std::make_shared<QtCharacteristic>(characteristic);
            known.push_back(std::move(handle));
        }
        service->known = std::move(known);
        std::vector<CharacteristicRef> listed;
        for (const auto& characteristic : service->known) {
            if (service->wantsAll || service->wanted.count(characteristic->uuid()))
                listed.push_back(characteristic);
        }
        service->setCharacteristics(std::move(listed));
        if (!service->pathsLookedUp)
            lookUpObjectPaths(service);
    }
    answerCharacteristicDiscoveries(service, error);
}

void QtPeripheral::answerCharacteristicDiscoveries(const std::shared_ptr<QtService>& service,
                                                   const std::optional<Error>& error) {
    const std::size_t answers = std::exchange(service->waitingDiscoveries, 0);
    for (std::size_t i = 0; i < answers; ++i) {
        reportToDelegate([service, error](PeripheralDelegate& delegate, const PeripheralRef& self) {
            delegate.didDiscoverCharacteristics(self, service, error);
        });
    }
}

void QtPeripheral::readValue(const CharacteristicRef& characteristic) {
    auto [service, target] = liveCharacteristic(characteristic);
    if (!target)
        return;
    service->requests.add({GattRequestKind::Read, target});
    echoes_.readSent(target.get());
    service->qt->readCharacteristic(target->qt());
}

void QtPeripheral::writeValue(const Bytes& value, const CharacteristicRef& characteristic,
                              WriteType type) {
    auto [service, target] = liveCharacteristic(characteristic);
    if (!target)
        return;
    // Straight to bluetoothd where its object is known (qt_peripheral_commands.cpp).
    if (type == WriteType::WithoutResponse && sendCommand(target, value))
        return;
    // Recorded first: Qt may report a refusal before the call returns.
    if (type == WriteType::WithResponse)
        service->requests.add({GattRequestKind::Write, target});
    service->qt->writeCharacteristic(target->qt(), toQByteArray(value),
                                     type == WriteType::WithResponse
                                         ? QLowEnergyService::WriteWithResponse
                                         : QLowEnergyService::WriteWithoutResponse);
}

void QtPeripheral::setNotifyValue(bool enabled, const CharacteristicRef& characteristic) {
    auto [service, target] = liveCharacteristic(characteristic);
    if (!target)
        return;
    // Notifications are switched by writing the client characteristic configuration; Qt
    // delivers no notification for a characteristic without one.
    const QLowEnergyDescriptor configuration = target->qt().descriptor(kClientConfiguration);
    if (!configuration.isValid()) {
        reportToDelegate([target](PeripheralDelegate& delegate, const PeripheralRef& self) {
            delegate.didUpdateNotificationState(
                self, target, Error{"The characteristic does not support notifications."});
        });
        return;
    }
    QByteArray setting = QLowEnergyCharacteristic::CCCDDisable;
    if (enabled) {
        const bool notifies = target->qt().properties() & QLowEnergyCharacteristic::Notify;
        setting = notifies ? QLowEnergyCharacteristic::CCCDEnableNotification
                           : QLowEnergyCharacteristic::CCCDEnableIndication;
    }
    service->requests.add({GattRequestKind::Notification, target, enabled});
    service->qt->writeDescriptor(configuration, setting);
}

void QtPeripheral::onCharacteristicRead(const std::shared_ptr<QtService>& service,
                                        const QLowEnergyCharacteristic& characteristic,
                                        const QByteArray& value) {
    auto target = service->find(characteristic);
    if (!target || !service->requests.takeAnswered(GattRequestKind::Read, target.get()))
        return;
    Bytes bytes = toBytes(value);
    echoes_.readAnswered(target.get(), bytes, ReadEchoFilter::Clock::now());
    reportToDelegate([target, bytes](PeripheralDelegate& delegate, const PeripheralRef& self) {
        target->setValue(bytes);
        delegate.didUpdateValue(self, target, std::nullopt);
    });
}

void QtPeripheral::onCharacteristicChanged(const std::shared_ptr<QtService>& service,
                                           const QLowEnergyCharacteristic& characteristic,
                                           const QByteArray& value) {
    auto target = service->find(characteristic);
    if (!target)
        return;
    Bytes bytes = toBytes(value);
    if (!echoes_.isNotification(target.get(), bytes, ReadEchoFilter::Clock::now()))
        return;
    reportToDelegate([target, bytes](PeripheralDelegate& delegate, const PeripheralRef& self) {
        target->setValue(bytes);
        delegate.didUpdateValue(self, target, std::nullopt);
    });
}

void QtPeripheral::onCharacteristicWritten(const std::shared_ptr<QtService>& service,
                                           const QLowEnergyCharacteristic& characteristic,
                                           const QByteArray& /*value*/) {
    auto target = service->find(characteristic);
    // Qt also confirms some writes without response; only requests with response are answered.
    if (!target || !service->requests.takeAnswered(GattRequestKind::Write, target.get()))
        return;
    reportToDelegate([target](PeripheralDelegate& delegate, const PeripheralRef& self) {
        delegate.didWriteValue(self, target, std::nullopt);
    });
}

void QtPeripheral::onDescriptorWritten(const std::shared_ptr<QtService>& service,
                                       const QLowEnergyDescriptor& descriptor,
                                       const QByteArray& value) {
    if (descriptor.uuid() != kClientConfiguration)
        return;
    for (const auto& candidate : service->known) {
        if (candidate->qt().descriptor(kClientConfiguration) != descriptor)
            continue;
        auto request =
            service->requests.takeAnswered(GattRequestKind::Notification, candidate.get());
        if (!request)
            return;
        const bool notifying = value != QLowEnergyCharacteristic::CCCDDisable;
        reportToDelegate(
            [candidate, notifying](PeripheralDelegate& delegate, const PeripheralRef& self) {
                candidate->setNotifying(notifying);
                delegate.didUpdateNotificationState(self, candidate, std::nullopt);
            });
        return;
    }
}

void QtPeripheral::onServiceError(const std::shared_ptr<QtService>& service,
                                  QLowEnergyService::ServiceError error) {
    std::optional<GattRequest> request;
    std::string description;
    switch (error) {
    case QLowEnergyService::CharacteristicWriteError:
        request = service->requests.takeFailed(GattRequestKind::Write);
        description = "The device refused the write.";
        break;
    case QLowEnergyService::CharacteristicReadError:
        request = service->requests.takeFailed(GattRequestKind::Read);
        description = "The device refused the read.";
        break;
    case QLowEnergyService::DescriptorWriteError:
        request = service->requests.takeFailed(GattRequestKind::Notification);
        description = "The device refused to change its notifications.";
        break;
    case QLowEnergyService::DescriptorReadError:
        return; // descriptors are never read on the device link's behalf
    default:
        request = service->requests.takeOldest();
        description = "The request could not be sent to the device.";
        break;
    }
    if (!request) {
        if (service->waitingDiscoveries > 0)
            finishCharacteristicDiscovery(service, Error{"The service's characteristics could "
                                                         "not be discovered."});
        return;
    }
    auto target = request->characteristic;
    const Error reported{description};
    const GattRequestKind kind = request->kind;
    if (kind == GattRequestKind::Read)
        echoes_.readFailed(target.get());
    reportToDelegate(
        [target, reported, kind](PeripheralDelegate& delegate, const PeripheralRef& self) {
            switch (kind) {
            case GattRequestKind::Read:
                delegate.didUpdateValue(self, target, reported);
                break;
            case GattRequestKind::Write:
                delegate.didWriteValue(self, target, reported);
                break;
            case GattRequestKind::Notification:
                delegate.didUpdateNotificationState(self, target, reported);
                break;
            }
        });
}

} // namespace vontal
