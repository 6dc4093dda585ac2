#include "sim_bluetooth_stack.h"

#include "sim_core.h"

#include <algorithm>

namespace vontal {

SimBluetoothStack::SimBluetoothStack(MainQueue& queue, Timers& timers)
    : core_(std::make_shared<SimStackCore>(queue, timers)) {}

SimBluetoothStack::~SimBluetoothStack() = default;

std::unique_ptr<Central> SimBluetoothStack::makeCentral(CentralDelegate& delegate) {
    return std::make_unique<SimCentral>(core_, delegate);
}

bool SimBluetoothStack::addDevice(SimDeviceSpec deviceSpec) {
    if (core_->device(deviceSpec.identifier))
        return false;
    core_->devices.push_back(std::make_unique<SimDeviceState>(std::move(deviceSpec)));
    core_->byIdentifier[core_->devices.back()->deviceSpec.identifier] = core_->devices.back().get();
    core_->deviceMayBeReachable(*core_->devices.back());
    return true;
}

std::optional<SimDeviceSpec> SimBluetoothStack::device(const BluetoothUuid& device) const {
    if (const SimDeviceState* state = core_->device(device))
        return state->deviceSpec;
    return std::nullopt;
}

std::vector<BluetoothUuid> SimBluetoothStack::devices() const {
    std::vector<BluetoothUuid> identifiers;
    for (const auto& device : core_->devices)
        identifiers.push_back(device->deviceSpec.identifier);
    return identifiers;
}

namespace {

BluetoothProblem problemOf(CentralState state) {
    switch (state) {
    case CentralState::PoweredOn:
        return BluetoothProblem::None;
    case CentralState::PoweredOff:
        return BluetoothProblem::AdapterOff;
    default:
        return BluetoothProblem::NoAdapter;
    }
}

} // namespace

void SimBluetoothStack::setRadioState(CentralState state) {
    setRadioState(state, problemOf(state));
}

void SimBluetoothStack::setRadioState(CentralState state, BluetoothProblem reason) {
    core_->radio = state;
    if (reason != problem_) {
        problem_ = reason;
        availabilityChanged_.fire();
    }
    const auto centrals = core_->liveCentrals();
    if (state != CentralState::PoweredOn)
        for (const auto& central : centrals)
            central->dropEverything();
    for (const auto& central : centrals)
        central->reportState(state);
}

CentralState SimBluetoothStack::radioState() const {
    return core_->radio;
}

void SimBluetoothStack::refuseSwitchingOn(std::optional<std::string> reason) {
    switchOnRefusal_ = std::move(reason);
}

void SimBluetoothStack::switchAdapterOn(std::function<void(std::optional<std::string>)> done) {
    ++switchOnRequests_;
    std::optional<std::string> refusal = switchOnRefusal_;
    if (!refusal && problem_ != BluetoothProblem::AdapterOff && problem_ != BluetoothProblem::None)
        refusal = "there is no adapter to switch on";
    // Centrals keep the core alive; the answer needs this stack.
    std::weak_ptr<int> alive = lifetime_;
    core_->queue.async([this, alive, refusal, done = std::move(done)] {
        if (alive.expired())
            return;
        if (!refusal)
            setRadioState(CentralState::PoweredOn);
        done(refusal);
    });
}

void SimBluetoothStack::removeDevice(const BluetoothUuid& device) {
    if (!core_->device(device))
        return;
    loseLink(device, Error{"The connection has timed out unexpectedly."});
    for (const auto& central : core_->liveCentrals()) {
        central->reportedInScan.erase(device);
        const auto found = central->peripherals.find(device);
        if (found == central->peripherals.end() ||
            found->second->state() != PeripheralState::Disconnected)
            continue;
        std::shared_ptr<SimPeripheral> peripheral = std::move(found->second);
        central->peripherals.erase(found);
        std::weak_ptr<SimCentralCore> weak = central;
        core_->deliver(std::chrono::milliseconds(0), [weak, peripheral] {
            auto self = weak.lock();
            if (self && self->alive)
                self->delegate.didLosePeripheral(self->owner, peripheral);
        });
    }
    std::erase_if(core_->devices, [&](const std::unique_ptr<SimDeviceState>& state) {
        return state->deviceSpec.identifier == device;
    });
    core_->byIdentifier.erase(device);
}

void SimBluetoothStack::setReportAgainAfter(std::optional<std::chrono::milliseconds> interval) {
    core_->reportAgainAfter = interval;
    for (const auto& central : core_->liveCentrals())
        if (central->scanning)
            central->startHearing();
}

std::size_t SimBluetoothStack::handleCount(const Central& central) const {
    const auto* sim = dynamic_cast<const SimCentral*>(&central);
    return sim ? sim->core()->peripherals.size() : 0;
}

void SimBluetoothStack::setAdvertising(const BluetoothUuid& device, bool advertising) {
    SimDeviceState* state = core_->device(device);
    if (!state)
        return;
    state->deviceSpec.advertising = advertising;
    core_->deviceMayBeReachable(*state);
}

void SimBluetoothStack::setInRange(const BluetoothUuid& device, bool inRange) {
    SimDeviceState* state = core_->device(device);
    if (!state)
        return;
    state->deviceSpec.inRange = inRange;
    if (!inRange)
        loseLink(device, Error{"The connection has timed out unexpectedly."});
    else
        core_->deviceMayBeReachable(*state);
}

void SimBluetoothStack::loseLink(const BluetoothUuid& device, Error error) {
    for (const auto& central : core_->liveCentrals()) {
        const auto found = central->peripherals.find(device);
        if (found != central->peripherals.end() &&
            found->second->state() == PeripheralState::Connected)
            found->second->drop(true, error);
    }
}

void SimBluetoothStack::setName(const BluetoothUuid& device, std::optional<std::string> name) {
    if (SimDeviceState* state = core_->device(device))
        state->deviceSpec.name = std::move(name);
}

void SimBluetoothStack::setPassword(const BluetoothUuid& device,
                                    std::optional<std::string> password) {
    if (SimDeviceState* state = core_->device(device))
        state->deviceSpec.password = std::move(password);
}

void SimBluetoothStack::refusePasswordWrites(const BluetoothUuid& device, int count) {
    if (SimDeviceState* state = core_->device(device))
        state->refusalsLeft = std::max(count, 0);
}

void SimBluetoothStack::setValue(const BluetoothUuid& device, const BluetoothUuid& characteristic,
                                 Bytes value) {
    SimDeviceState* state = core_->device(device);
    if (!state)
        return;
    for (std::size_t s = 0; s < state->deviceSpec.services.size(); ++s)
        for (std::size_t c = 0; c < state->deviceSpec.services[s].characteristics.size(); ++c)
            if (state->deviceSpec.services[s].characteristics[c].uuid == characteristic)
                state->values[s][c] = value;
}

void SimBluetoothStack::notify(const BluetoothUuid& device, const BluetoothUuid& characteristic,
                               Bytes value, bool evenIfNotSubscribed) {
    setValue(device, characteristic, value);
    for (const auto& central : core_->liveCentrals()) {
        const auto found = central->peripherals.find(device);
        if (found != central->peripherals.end())
            found->second->deviceNotified(characteristic, value, evenIfNotSubscribed);
    }
}

void SimBluetoothStack::setAnswerDelay(const BluetoothUuid& device,
                                       std::chrono::milliseconds delay) {
    if (SimDeviceState* state = core_->device(device))
        state->deviceSpec.answerDelay = delay;
}

void SimBluetoothStack::setConnectDelay(const BluetoothUuid& device,
                                        std::chrono::milliseconds delay) {
    if (SimDeviceState* state = core_->device(device))
        state->deviceSpec.connectDelay = delay;
}

void SimBluetoothStack::setWriteWithoutResponseDelay(
    const BluetoothUuid& device, std::optional<std::chrono::milliseconds> delay) {
    if (SimDeviceState* state = core_->device(device))
        state->deviceSpec.writeWithoutResponseDelay = delay;
}

void SimBluetoothStack::setDropsLinkOnPasswordWrite(const BluetoothUuid& device, bool drops) {
    if (SimDeviceState* state = core_->device(device))
        state->deviceSpec.dropsLinkOnPasswordWrite = drops;
}

void SimBluetoothStack::setMtu(const BluetoothUuid& device, std::optional<std::size_t> mtu) {
    if (SimDeviceState* state = core_->device(device))
        state->deviceSpec.mtu = mtu;
}

void SimBluetoothStack::failNext(const BluetoothUuid& device, SimOperation operation,
                                 SimFault fault, std::optional<BluetoothUuid> target, int times) {
    SimDeviceState* state = core_->device(device);
    if (!state || times == 0)
        return;
    state->faults.push_back({operation, target, std::move(fault), times});
}

void SimBluetoothStack::clearFaults(const BluetoothUuid& device) {
    if (SimDeviceState* state = core_->device(device))
        state->faults.clear();
}

PeripheralRef SimBluetoothStack::retrievePeripheral(const Central& central,
                                                    const BluetoothUuid& device) {
    const auto* sim = dynamic_cast<const SimCentral*>(&central);
    const SimDeviceState* state = core_->device(device);
    if (!sim || !state || sim->core()->stack != core_)
        return nullptr;
    return sim->core()->peripheral(*state);
}

PeripheralState SimBluetoothStack::linkState(const BluetoothUuid& device) const {
    PeripheralState most = PeripheralState::Disconnected;
    for (const auto& central : core_->liveCentrals()) {
        const auto found = central->peripherals.find(device);
        if (found == central->peripherals.end())
            continue;
        const PeripheralState state = found->second->state();
        if (state == PeripheralState::Connected ||
            (state == PeripheralState::Connecting && most != PeripheralState::Connected))
            most = state;
    }
    return most;
}

bool SimBluetoothStack::isUnlocked(const BluetoothUuid& device) const {
    for (const auto& central : core_->liveCentrals()) {
        const auto found = central->peripherals.find(device);
        if (found != central->peripherals.end() && found->second->unlocked())
            return true;
    }
    return false;
}

const std::vector<SimRequest>& SimBluetoothStack::requests() const {
    return core_->requests;
}

std::vector<SimRequest> SimBluetoothStack::requestsFor(const BluetoothUuid& device) const {
    std::vector<SimRequest> found;
    for (const SimRequest& request : core_->requests)
        if (request.device == device)
            found.push_back(request);
    return found;
}

std::vector<SimRequest> SimBluetoothStack::requestsOf(SimRequest::Kind kind) const {
    std::vector<SimRequest> found;
    for (const SimRequest& request : core_->requests)
        if (request.kind == kind)
            found.push_back(request);
    return found;
}

std::vector<SimWrite> SimBluetoothStack::writes(const BluetoothUuid& device) const {
    std::vector<SimWrite> found;
    for (const SimRequest& request : core_->requests)
        if (request.kind == SimRequest::Kind::WriteValue && request.device == device &&
            request.delivered() && request.characteristic)
            found.push_back({*request.characteristic, request.value, request.writeType});
    return found;
}

std::vector<Bytes> SimBluetoothStack::writesTo(const BluetoothUuid& device,
                                               const BluetoothUuid& characteristic,
                                               WriteType type) const {
    std::vector<Bytes> found;
    for (const SimWrite& write : writes(device))
        if (write.characteristic == characteristic && write.type == type)
            found.push_back(write.value);
    return found;
}

SimWriteLoad SimBluetoothStack::writeLoad(const BluetoothUuid& device) const {
    const SimDeviceState* state = core_->device(device);
    return state ? state->writeLoad : SimWriteLoad{};
}

void SimBluetoothStack::clearRecord() {
    core_->requests.clear();
}

void SimBluetoothStack::setRecording(bool recording) {
    core_->recording = recording;
}

} // namespace vontal
