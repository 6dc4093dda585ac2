#include "scenario.h"

#include <algorithm>

namespace vontal::test {

BackendScenario::~BackendScenario() {
    // The manager goes before the stack and the platform it uses, and the mock last.
    manager.reset();
    platform.reset();
    stack.reset();
}

void BackendScenario::startManager(PeripheralManager::Settings settings) {
    stack = std::make_unique<QtBluetoothStack>(diagnostics);
    // The manager keeps a reference to the bundle.
    platform = std::make_unique<Platform>(
        Platform{*stack, mainQueue, timers, workspace, defaults, alerts, diagnostics});
    manager = std::make_unique<PeripheralManager>(*platform, settings);
}

std::size_t BackendScenario::countLines(const std::string& line) const {
    const auto& lines = diagnostics.lines();
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

PeripheralRef BackendScenario::connected(const std::string& identifier) const {
    if (!manager)
        return nullptr;
    for (const auto& peripheral : manager->connectedPeripherals()) {
        if (peripheral->identifier().toString() == identifier &&
            peripheral->state() == PeripheralState::Connected)
            return peripheral;
    }
    return nullptr;
}

bool BackendScenario::waitForOperations(const std::string& operation, const std::string& address,
                                        const std::string& uuid, std::size_t count) {
    return waitUntil(
        [&] { return only(mock->operations(), operation, address, uuid).size() >= count; });
}

} // namespace vontal::test
