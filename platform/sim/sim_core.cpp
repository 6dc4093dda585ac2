#include "sim_core.h"

#include <algorithm>

namespace vontal {

SimDeviceState::SimDeviceState(SimDeviceSpec s)
    : deviceSpec(std::move(s)), refusalsLeft(deviceSpec.refuseFirstPasswordWrites) {
    for (const SimServiceSpec& service : deviceSpec.services) {
        std::vector<Bytes>& serviceValues = values.emplace_back();
        for (const SimCharacteristicSpec& characteristic : service.characteristics)
            serviceValues.push_back(characteristic.value);
    }
}

std::optional<SimFault> SimDeviceState::takeFault(SimOperation operation,
                                                  const std::optional<BluetoothUuid>& target) {
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->operation != operation || (it->target && it->target != target))
            continue;
        SimFault fault = it->fault;
        if (it->remaining != kSimFaultForever && --it->remaining <= 0)
            faults.erase(it);
        return fault;
    }
    return std::nullopt;
}

bool SimDeviceState::advertisingNow() const {
    return deviceSpec.advertising && (links == 0 || deviceSpec.advertisesWhileConnected);
}

SimDeviceState* SimStackCore::device(const BluetoothUuid& identifier) {
    const auto found = byIdentifier.find(identifier);
    return found == byIdentifier.end() ? nullptr : found->second;
}

void SimStackCore::record(SimRequest request) {
    if (recording)
        requests.push_back(std::move(request));
}

void SimStackCore::deliver(std::chrono::milliseconds delay, std::function<void()> task) {
    if (delay <= std::chrono::milliseconds(0)) {
        queue.async(std::move(task));
        return;
    }
    const std::uint64_t id = nextDelayed_++;
    std::weak_ptr<SimStackCore> weak = weak_from_this();
    delayed_.emplace(id, timers.singleShot(delay, [weak, id, task = std::move(task)] {
        task();
        // Not from inside the timer's own callback: the subscription is
        // dropped on the next turn.
        if (auto self = weak.lock())
            self->queue.async([weak, id] {
                if (auto core = weak.lock())
                    core->delayed_.erase(id);
            });
    }));
}

std::vector<std::shared_ptr<SimCentralCore>> SimStackCore::liveCentrals() {
    std::vector<std::shared_ptr<SimCentralCore>> live;
    std::erase_if(centrals, [&](const std::weak_ptr<SimCentralCore>& weak) {
        auto central = weak.lock();
        if (!central || !central->alive)
            return true;
        live.push_back(std::move(central));
        return false;
    });
    return live;
}

void SimStackCore::deviceMayBeReachable(SimDeviceState& device) {
    for (const auto& central : liveCentrals()) {
        const auto found = central->peripherals.find(device.deviceSpec.identifier);
        if (found != central->peripherals.end())
            found->second->tryToComplete();
        central->offer(device);
    }
}

std::shared_ptr<SimPeripheral> SimCentralCore::peripheral(const SimDeviceState& device) {
    auto& slot = peripherals[device.deviceSpec.identifier];
    if (!slot)
        slot = std::make_shared<SimPeripheral>(weak_from_this(), device.deviceSpec.identifier,
                                               device.deviceSpec.name);
    return slot;
}

void SimCentralCore::reportState(CentralState state) {
    std::weak_ptr<SimCentralCore> weak = weak_from_this();
    stack->deliver(std::chrono::milliseconds(0), [weak, state] {
        auto self = weak.lock();
        if (!self || !self->alive)
            return;
        self->reported = state;
        self->delegate.centralManagerDidUpdateState(self->owner);
    });
}

bool SimCentralCore::wouldReport(const SimDeviceState& device) const {
    if (stack->radio != CentralState::PoweredOn || !scanning || !device.deviceSpec.inRange ||
        !device.advertisingNow())
        return false;
    const auto reported = reportedInScan.find(device.deviceSpec.identifier);
    if (reported != reportedInScan.end() && reported->second == scanGeneration)
        return false;
    if (scanFilter.empty())
        return true;
    return std::any_of(device.deviceSpec.advertisedServices.begin(),
                       device.deviceSpec.advertisedServices.end(), [&](const BluetoothUuid& uuid) {
                           return std::find(scanFilter.begin(), scanFilter.end(), uuid) !=
                                  scanFilter.end();
                       });
}

void SimCentralCore::offer(const SimDeviceState& device) {
    if (!wouldReport(device))
        return;
    std::weak_ptr<SimCentralCore> weak = weak_from_this();
    const BluetoothUuid identifier = device.deviceSpec.identifier;
    const std::uint64_t generation = scanGeneration;
    stack->deliver(device.deviceSpec.answerDelay, [weak, identifier, generation] {
        auto self = weak.lock();
        if (!self || !self->alive || self->scanGeneration != generation)
            return;
        SimDeviceState* device = self->stack->device(identifier);
        // Still advertising, still in range, and not yet reported by this scan.
        if (!device || !self->wouldReport(*device))
            return;
        self->reportedInScan[identifier] = generation;
        const AdvertisementData advertisement{device->deviceSpec.name,
                                              device->deviceSpec.advertisedServices};
        self->delegate.didDiscoverPeripheral(self->owner, self->peripheral(*device), advertisement,
                                             device->deviceSpec.rssi);
    });
}

void SimCentralCore::stopScanning() {
    scanning = false;
    ++scanGeneration;
    reportedInScan.clear();
    hearing.reset();
}

void SimCentralCore::startHearing() {
    if (!stack->reportAgainAfter)
        return;
    std::weak_ptr<SimCentralCore> weak = weak_from_this();
    hearing = stack->timers.repeating(*stack->reportAgainAfter, [weak] {
        auto self = weak.lock();
        if (!self || !self->alive || !self->scanning)
            return;
        self->reportedInScan.clear();
        for (const auto& device : self->stack->devices)
            self->offer(*device);
    });
}

void SimCentralCore::dropEverything() {
    stopScanning();
    for (auto& [identifier, peripheral] : peripherals)
        peripheral->drop(false, std::nullopt);
}

} // namespace vontal
