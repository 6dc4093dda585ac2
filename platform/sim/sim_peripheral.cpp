#include "sim_core.h"

#include <algorithm>

namespace vontal {
namespace {

bool passes(const std::vector<BluetoothUuid>& filter, const BluetoothUuid& uuid) {
    return filter.empty() || std::find(filter.begin(), filter.end(), uuid) != filter.end();
}

std::optional<Error> errorOf(const std::optional<SimFault>& fault) {
    return fault ? std::optional<Error>(fault->error) : std::nullopt;
}

bool takesEffect(const std::optional<SimFault>& fault) {
    return !fault || fault->keepResult;
}

} // namespace

std::optional<std::string> SimPeripheral::name() const {
    if (const auto central = central_.lock())
        if (const SimDeviceState* device = central->stack->device(identifier_))
            return device->deviceSpec.name;
    return name_;
}

SimRequest SimPeripheral::request(SimRequest::Kind kind) const {
    SimRequest request;
    request.kind = kind;
    if (const auto central = central_.lock())
        request.central = central->serial;
    request.device = identifier_;
    request.linkUp = state_ == PeripheralState::Connected;
    return request;
}

template <typename Handle, typename Ref>
std::shared_ptr<Handle> SimPeripheral::ownHandle(const Ref& handle) const {
    auto sim = std::dynamic_pointer_cast<Handle>(handle);
    if (!sim || sim->owner() != this || sim->link() != link_ || !sim->discovered ||
        state_ != PeripheralState::Connected)
        return nullptr;
    return sim;
}

void SimPeripheral::answer(std::function<void(SimPeripheral&, PeripheralDelegate&)> answer,
                           const SimCharacteristic* about,
                           std::optional<std::chrono::milliseconds> delayOverride) {
    const auto central = central_.lock();
    if (!central)
        return;
    const SimDeviceState* device = central->stack->device(identifier_);
    auto delay = device ? device->deviceSpec.answerDelay : std::chrono::milliseconds(0);
    if (device && about) {
        const SimCharacteristicSpec& deviceSpec =
            device->deviceSpec.services[static_cast<std::size_t>(about->serviceIndex())]
                .characteristics[static_cast<std::size_t>(about->index())];
        delay = deviceSpec.answerDelay.value_or(delay);
    }
    delay = delayOverride.value_or(delay);
    std::weak_ptr<SimPeripheral> weakSelf = weak_from_this();
    std::weak_ptr<SimCentralCore> weakCentral = central_;
    const std::uint64_t link = link_;
    central->stack->deliver(delay, [weakSelf, weakCentral, link, answer = std::move(answer)] {
        const auto self = weakSelf.lock();
        const auto central = weakCentral.lock();
        // An answer on a link that has gone (or was replaced by a newer one) never arrives.
        if (!self || !central || !central->alive || self->link_ != link ||
            self->state_ != PeripheralState::Connected || !self->delegate_)
            return;
        answer(*self, *self->delegate_);
    });
}

void SimPeripheral::discoverServices(const std::vector<BluetoothUuid>& serviceUuids) {
    SimRequest discover = request(SimRequest::Kind::DiscoverServices);
    discover.uuids = serviceUuids;
    const auto central = central_.lock();
    if (!central)
        return;
    central->stack->record(std::move(discover));
    SimDeviceState* device = central->stack->device(identifier_);
    if (state_ != PeripheralState::Connected || !device)
        return;
    const auto fault = device->takeFault(SimOperation::DiscoverServices, std::nullopt);
    answer([serviceUuids, fault](SimPeripheral& self, PeripheralDelegate& delegate) {
        if (takesEffect(fault)) {
            std::vector<ServiceRef> found;
            for (const auto& service : self.linkServices_) {
                if (passes(serviceUuids, service->uuid())) {
                    service->discovered = true;
                    found.push_back(service);
                }
            }
            self.discovered_ = std::move(found);
        }
        delegate.didDiscoverServices(self.shared_from_this(), errorOf(fault));
    });
}

void SimPeripheral::discoverCharacteristics(const std::vector<BluetoothUuid>& characteristicUuids,
                                            const ServiceRef& service) {
    const auto central = central_.lock();
    if (!central)
        return;
    const auto own = ownHandle<SimService>(service);
    SimRequest discover = request(SimRequest::Kind::DiscoverCharacteristics);
    discover.uuids = characteristicUuids;
    if (service)
        discover.service = service->uuid();
    if (const auto sim = std::dynamic_pointer_cast<SimService>(service))
        discover.serviceIndex = sim->index();
    discover.validHandle = own != nullptr;
    central->stack->record(std::move(discover));
    SimDeviceState* device = central->stack->device(identifier_);
    if (!own || !device)
        return;
    const auto fault = device->takeFault(SimOperation::DiscoverCharacteristics, own->uuid());
    answer([own, characteristicUuids, fault](SimPeripheral& self, PeripheralDelegate& delegate) {
        if (takesEffect(fault)) {
            std::vector<CharacteristicRef> found;
            for (const auto& characteristic : own->all) {
                if (passes(characteristicUuids, characteristic->uuid())) {
                    characteristic->discovered = true;
                    found.push_back(characteristic);
                }
            }
            own->discoveredCharacteristics = std::move(found);
        }
        delegate.didDiscoverCharacteristics(self.shared_from_this(), own, errorOf(fault));
    });
}

namespace {

void describe(SimRequest& request, const CharacteristicRef& handle) {
    if (!handle)
        return;
    request.characteristic = handle->uuid();
    if (const auto sim = std::dynamic_pointer_cast<SimCharacteristic>(handle)) {
        request.serviceIndex = sim->serviceIndex();
        request.characteristicIndex = sim->index();
    }
}

} // namespace

void SimPeripheral::readValue(const CharacteristicRef& characteristic) {
    const auto central = central_.lock();
    if (!central)
        return;
    const auto own = ownHandle<SimCharacteristic>(characteristic);
    SimRequest read = request(SimRequest::Kind::ReadValue);
    describe(read, characteristic);
    read.validHandle = own != nullptr;
    central->stack->record(std::move(read));
    SimDeviceState* device = central->stack->device(identifier_);
    if (!own || !device)
        return;
    const auto fault = device->takeFault(SimOperation::ReadValue, own->uuid());
    answer(
        [own, fault](SimPeripheral& self, PeripheralDelegate& delegate) {
            if (takesEffect(fault)) {
                if (SimDeviceState* device = self.central_.lock()->stack->device(self.identifier_))
                    own->value_ = device->values[own->serviceIndex()][own->index()];
            }
            delegate.didUpdateValue(self.shared_from_this(), own, errorOf(fault));
        },
        own.get());
}

void SimPeripheral::setNotifyValue(bool enabled, const CharacteristicRef& characteristic) {
    const auto central = central_.lock();
    if (!central)
        return;
    const auto own = ownHandle<SimCharacteristic>(characteristic);
    SimRequest notify = request(SimRequest::Kind::SetNotifyValue);
    describe(notify, characteristic);
    notify.enabled = enabled;
    notify.validHandle = own != nullptr;
    central->stack->record(std::move(notify));
    SimDeviceState* device = central->stack->device(identifier_);
    if (!own || !device)
        return;
    const auto fault = device->takeFault(SimOperation::SetNotifyValue, own->uuid());
    answer(
        [own, enabled, fault](SimPeripheral& self, PeripheralDelegate& delegate) {
            if (takesEffect(fault))
                own->notifying_ = enabled;
            delegate.didUpdateNotificationState(self.shared_from_this(), own, errorOf(fault));
        },
        own.get());
}

void SimPeripheral::writeValue(const Bytes& value, const CharacteristicRef& characteristic,
                               WriteType type) {
    const auto central = central_.lock();
    if (!central)
        return;
    const auto own = ownHandle<SimCharacteristic>(characteristic);
    const auto limit = maximumWriteValueLength(type);
    const bool tooLong = limit && value.size() > *limit;
    SimDeviceState* device = central->stack->device(identifier_);
    const bool withoutResponse = type == WriteType::WithoutResponse && own && device;
    if (withoutResponse) {
        ++writesInFlight_;
        ++device->writeLoad.writes;
        device->writeLoad.mostInFlight = std::max(device->writeLoad.mostInFlight, writesInFlight_);
    }
    if (central->stack->recording) {
        SimRequest write = request(SimRequest::Kind::WriteValue);
        describe(write, characteristic);
        write.value = value;
        write.writeType = type;
        write.validHandle = own != nullptr;
        write.unlocked = unlocked();
        write.tooLong = tooLong;
        write.inFlight = withoutResponse ? writesInFlight_ : 0;
        central->stack->record(std::move(write));
    }
    if (!own || !device)
        return;
    if (type == WriteType::WithoutResponse) {
        const auto fault = device->takeFault(SimOperation::WriteWithoutResponse, own->uuid());
        std::optional<Error> error;
        if (tooLong || fault)
            error = fault ? fault->error : device->deviceSpec.oversizedWriteError;
        // One answer per write, as bluetoothd's reply to WriteValue: taken or failed.
        answer(
            [own, error](SimPeripheral& self, PeripheralDelegate& delegate) {
                if (error)
                    delegate.didFailWriteWithoutResponse(self.shared_from_this(), own, *error);
                if (--self.writesInFlight_ == 0)
                    delegate.peripheralIsReadyToSendWriteWithoutResponse(self.shared_from_this());
            },
            own.get(), device->deviceSpec.writeWithoutResponseDelay);
        return;
    }

    if (device->deviceSpec.dropsLinkOnPasswordWrite &&
        device->deviceSpec.passwordCharacteristic == own->uuid()) {
        std::weak_ptr<SimPeripheral> weakSelf = weak_from_this();
        const std::uint64_t link = link_;
        central->stack->deliver(device->deviceSpec.answerDelay, [weakSelf, link] {
            if (const auto self = weakSelf.lock(); self && self->link_ == link)
                self->drop(true, Error{"The connection has timed out unexpectedly."});
        });
        return;
    }
    // The device decides when the write arrives, so a refusal does not depend on later changes.
    std::optional<Error> error = errorOf(device->takeFault(SimOperation::WriteValue, own->uuid()));
    bool unlocks = false;
    if (!error && device->deviceSpec.passwordCharacteristic == own->uuid()) {
        const std::string text(value.begin(), value.end());
        if (device->refusalsLeft > 0) {
            --device->refusalsLeft;
            error = device->deviceSpec.passwordRefusal;
        } else if (device->deviceSpec.password && *device->deviceSpec.password != text) {
            error = device->deviceSpec.passwordRefusal;
        } else {
            unlocks = true;
        }
    }
    answer(
        [own, error, unlocks](SimPeripheral& self, PeripheralDelegate& delegate) {
            if (unlocks)
                self.unlocked_ = true;
            delegate.didWriteValue(self.shared_from_this(), own, error);
        },
        own.get());
}

std::optional<std::size_t> SimPeripheral::maximumWriteValueLength(WriteType type) const {
    const auto central = central_.lock();
    if (!central || state_ != PeripheralState::Connected || type != WriteType::WithoutResponse)
        return std::nullopt;
    const SimDeviceState* device = central->stack->device(identifier_);
    if (!device || !device->deviceSpec.mtu || *device->deviceSpec.mtu < 3)
        return std::nullopt;
    return *device->deviceSpec.mtu - 3;
}

void SimPeripheral::beginConnecting() {
    state_ = PeripheralState::Connecting;
    ++attempt_;
    tryToComplete();
}

void SimPeripheral::tryToComplete() {
    const auto central = central_.lock();
    if (state_ != PeripheralState::Connecting || !central)
        return;
    const SimDeviceState* device = central->stack->device(identifier_);
    if (!device || central->stack->radio != CentralState::PoweredOn || !device->reachable())
        return;
    std::weak_ptr<SimPeripheral> weakSelf = weak_from_this();
    std::weak_ptr<SimCentralCore> weakCentral = central_;
    const std::uint64_t attempt = attempt_;
    central->stack->deliver(device->deviceSpec.connectDelay, [weakSelf, weakCentral, attempt] {
        const auto self = weakSelf.lock();
        const auto central = weakCentral.lock();
        if (!self || !central || !central->alive || self->state_ != PeripheralState::Connecting ||
            self->attempt_ != attempt)
            return;
        SimDeviceState* device = central->stack->device(self->identifier_);
        // Gone out of reach meanwhile: the attempt stays pending, as a real one would.
        if (!device || central->stack->radio != CentralState::PoweredOn || !device->reachable())
            return;
        self->state_ = PeripheralState::Connected;
        ++self->link_;
        self->unlocked_ = false;
        self->writesInFlight_ = 0;
        self->discovered_.reset();
        self->linkServices_.clear();
        for (std::size_t s = 0; s < device->deviceSpec.services.size(); ++s) {
            const SimServiceSpec& deviceSpec = device->deviceSpec.services[s];
            auto service = std::make_shared<SimService>(self.get(), self->link_, deviceSpec.uuid,
                                                        static_cast<int>(s));
            for (std::size_t c = 0; c < deviceSpec.characteristics.size(); ++c)
                service->all.push_back(std::make_shared<SimCharacteristic>(
                    self.get(), self->link_, deviceSpec.characteristics[c].uuid,
                    static_cast<int>(s), static_cast<int>(c)));
            self->linkServices_.push_back(std::move(service));
        }
        ++device->links;
        central->delegate.didConnectPeripheral(central->owner, self);
    });
}

void SimPeripheral::drop(bool report, const std::optional<Error>& error) {
    if (state_ == PeripheralState::Disconnected)
        return;
    const bool wasUp = state_ == PeripheralState::Connected;
    state_ = PeripheralState::Disconnected;
    ++attempt_;
    unlocked_ = false;
    writesInFlight_ = 0;
    discovered_.reset();
    linkServices_.clear();
    const auto central = central_.lock();
    if (!central)
        return;
    SimDeviceState* device = central->stack->device(identifier_);
    if (wasUp && device)
        --device->links;
    if (report) {
        std::weak_ptr<SimPeripheral> weakSelf = weak_from_this();
        std::weak_ptr<SimCentralCore> weakCentral = central_;
        central->stack->deliver(std::chrono::milliseconds(0), [weakSelf, weakCentral, error] {
            const auto self = weakSelf.lock();
            const auto central = weakCentral.lock();
            if (self && central && central->alive)
                central->delegate.didDisconnectPeripheral(central->owner, self, error);
        });
    }
    // Free again: it advertises, and other pending connections may go ahead.
    if (device)
        central->stack->deviceMayBeReachable(*device);
}

void SimPeripheral::deviceNotified(const BluetoothUuid& uuid, const Bytes& value,
                                   bool evenIfNotSubscribed) {
    if (state_ != PeripheralState::Connected)
        return;
    for (const auto& service : linkServices_) {
        for (const auto& characteristic : service->all) {
            if (!characteristic->discovered || characteristic->uuid() != uuid ||
                !(characteristic->notifying_ || evenIfNotSubscribed))
                continue;
            answer(
                [characteristic, value](SimPeripheral& self, PeripheralDelegate& delegate) {
                    characteristic->value_ = value;
                    delegate.didUpdateValue(self.shared_from_this(), characteristic, std::nullopt);
                },
                characteristic.get());
        }
    }
}

} // namespace vontal
