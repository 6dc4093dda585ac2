#include "manager_fixture.h"

namespace vontal {

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

BluetoothUuid deviceId(std::uint64_t n) {
    return identifierForAddress(0xC0FFEE000000 + n);
}

void ManagerTest::TearDown() {
    for (const AlertRequest& alert : sim.alerts.unexpected())
        ADD_FAILURE() << "alert with no scripted answer: " << alert.messageText;
    manager.reset();
}

PeripheralManager& ManagerTest::make() {
    manager = std::make_unique<PeripheralManager>(sim.platform(), settings);
    willChangeCounter_ = manager->objectWillChange().subscribe([this] { ++willChange; });
    return *manager;
}

PeripheralManager& ManagerTest::start() {
    make();
    run();
    return *manager;
}

SimDeviceSpec ManagerTest::makeDeviceSpec(std::uint64_t n) {
    return vontalDevice(deviceId(n), "Device " + std::to_string(n), "pw-" + std::to_string(n));
}

BluetoothUuid ManagerTest::addDevice(std::uint64_t n) {
    return addDevice(makeDeviceSpec(n));
}

BluetoothUuid ManagerTest::addDevice(SimDeviceSpec deviceSpec) {
    const BluetoothUuid id = deviceSpec.identifier;
    EXPECT_TRUE(sim.bluetooth.addDevice(std::move(deviceSpec)));
    return id;
}

BluetoothUuid ManagerTest::addKnownDevice(std::uint64_t n) {
    const BluetoothUuid id = addDevice(n);
    storePassword(id, "pw-" + std::to_string(n));
    return id;
}

void ManagerTest::storePassword(const BluetoothUuid& id, const std::string& password) {
    sim.defaults.setObject(password, id.toString());
}

std::optional<std::string> ManagerTest::storedPassword(const BluetoothUuid& id) const {
    return sim.defaults.stringForKey(id.toString());
}

PeripheralRef ManagerTest::handle(const BluetoothUuid& id) {
    return sim.bluetooth.retrievePeripheral(*manager->central(), id);
}

PeripheralRef ManagerTest::discovered(const BluetoothUuid& id) const {
    for (const PeripheralRef& peripheral : manager->discoveredPeripherals())
        if (peripheral->identifier() == id)
            return peripheral;
    ADD_FAILURE() << id.toString() << " is not under Discovered";
    return nullptr;
}

std::vector<BluetoothUuid> ManagerTest::ids(const std::vector<PeripheralRef>& list) {
    std::vector<BluetoothUuid> identifiers;
    for (const PeripheralRef& peripheral : list)
        identifiers.push_back(peripheral->identifier());
    return identifiers;
}

std::vector<Bytes> ManagerTest::dataWrites(const BluetoothUuid& id) const {
    return sim.bluetooth.writesTo(id, PeripheralManager::characteristicUUID,
                                  WriteType::WithoutResponse);
}

std::vector<SimRequest> ManagerTest::requestsSince(std::size_t from) const {
    const auto& all = sim.bluetooth.requests();
    return std::vector<SimRequest>(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
}

std::size_t ManagerTest::count(SimRequest::Kind kind, const BluetoothUuid& id) const {
    std::size_t n = 0;
    for (const SimRequest& request : sim.bluetooth.requests())
        if (request.kind == kind && request.device == id)
            ++n;
    return n;
}

} // namespace vontal
