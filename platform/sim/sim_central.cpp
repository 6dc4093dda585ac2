#include "sim_core.h"

namespace vontal {

SimCentral::SimCentral(std::shared_ptr<SimStackCore> stack, CentralDelegate& delegate) {
    const int serial = stack->nextCentral++;
    core_ = std::make_shared<SimCentralCore>(std::move(stack), delegate, *this, serial);
    core_->stack->centrals.push_back(core_);
    // The first state report comes later, as it does from a real radio.
    core_->reportState(core_->stack->radio);
}

SimCentral::~SimCentral() {
    // The process that owned the central is gone: its links end silently, and its devices
    // become free for other centrals.
    core_->alive = false;
    core_->hearing.reset();
    for (auto& [identifier, peripheral] : core_->peripherals)
        peripheral->drop(false, std::nullopt);
}

SimRequest SimCentral::request(SimRequest::Kind kind) const {
    SimRequest request;
    request.kind = kind;
    request.central = core_->serial;
    request.linkUp = core_->stack->radio == CentralState::PoweredOn;
    return request;
}

std::shared_ptr<SimPeripheral> SimCentral::own(const PeripheralRef& peripheral) const {
    auto sim = std::dynamic_pointer_cast<SimPeripheral>(peripheral);
    if (!sim)
        return nullptr;
    const auto found = core_->peripherals.find(sim->identifier());
    if (found == core_->peripherals.end() || found->second != sim)
        return nullptr;
    return sim;
}

void SimCentral::scanForPeripherals(const std::vector<BluetoothUuid>& serviceUuids) {
    SimRequest scan = request(SimRequest::Kind::Scan);
    scan.uuids = serviceUuids;
    core_->stack->record(std::move(scan));

    // A new scan replaces the one under way, so every device may be reported once more.
    core_->stopScanning();
    if (core_->stack->radio != CentralState::PoweredOn)
        return;
    core_->scanning = true;
    core_->scanFilter = serviceUuids;
    core_->startHearing();
    for (const auto& device : core_->stack->devices)
        core_->offer(*device);
}

void SimCentral::stopScan() {
    core_->stack->record(request(SimRequest::Kind::StopScan));
    core_->stopScanning();
}

void SimCentral::connect(const PeripheralRef& peripheral) {
    const auto sim = own(peripheral);
    SimRequest connect = request(SimRequest::Kind::Connect);
    if (peripheral)
        connect.device = peripheral->identifier();
    connect.validHandle = sim != nullptr;
    core_->stack->record(std::move(connect));
    if (!sim || core_->stack->radio != CentralState::PoweredOn)
        return;
    if (sim->state() == PeripheralState::Disconnected)
        sim->beginConnecting();
}

void SimCentral::cancelConnection(const PeripheralRef& peripheral) {
    const auto sim = own(peripheral);
    SimRequest cancel = request(SimRequest::Kind::CancelConnection);
    if (peripheral)
        cancel.device = peripheral->identifier();
    cancel.validHandle = sim != nullptr;
    core_->stack->record(std::move(cancel));
    if (sim)
        sim->drop(true, std::nullopt);
}

} // namespace vontal
