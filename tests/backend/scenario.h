#pragma once

// A PeripheralManager on the Qt Bluetooth backend, talking to the BlueZ stand-in, with scripted
// alerts, in-memory defaults, recorded diagnostics and the Qt main loop.

#include "devicelink/peripheral_manager.h"
#include "platform/qt/bluetooth/qt_bluetooth_stack.h"
#include "platform/qt/services/qt_main_queue.h"
#include "platform/qt/services/qt_timers.h"
#include "platform/sim/in_memory_user_defaults.h"
#include "tests/support/bluez/bluez_mock_client.h"
#include "tests/support/bluez/qt_wait.h"
#include "tests/support/sim/recording_diagnostics.h"
#include "tests/support/sim/scripted_alert_presenter.h"
#include "tests/support/sim/scripted_workspace.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace vontal::test {

inline const std::string kDeskAddress = "C0:FF:EE:00:00:01";
inline const std::string kDeskIdentifier = "00000000-0000-0000-0000-C0FFEE000001";
inline const std::string kLampAddress = "C0:FF:EE:00:00:02";
inline const std::string kLampIdentifier = "00000000-0000-0000-0000-C0FFEE000002";

inline const std::string kPasswordUuid = "b549b710-bfde-44ab-a496-b8dfa77d606a";
inline const std::string kDataUuid = "86ea8d4d-d290-41cb-83ef-172b10165725";
inline const std::string kDeviceNameUuid = "5e3c0a0c-9f7b-4bde-8f62-6e8e0c6e3a01";

class BackendScenario : public ::testing::Test {
protected:
    ~BackendScenario() override;

    void startManager(PeripheralManager::Settings settings = {});
    void storePassword(const std::string& identifier, const std::string& password) {
        defaults.setObject(password, identifier);
    }

    std::size_t countLines(const std::string& line) const;
    bool hasLine(const std::string& line) const { return countLines(line) > 0; }
    bool waitForLine(const std::string& line) {
        return waitUntil([&] { return hasLine(line); });
    }
    // The connected peripheral with this identifier whose link is up, if any.
    PeripheralRef connected(const std::string& identifier) const;
    bool waitForConnected(const std::string& identifier) {
        return waitUntil([&] { return connected(identifier) != nullptr; });
    }
    bool waitForOperations(const std::string& operation, const std::string& address,
                           const std::string& uuid, std::size_t count);

    QtMainQueue mainQueue;
    QtTimers timers;
    ScriptedWorkspace workspace;
    InMemoryUserDefaults defaults;
    ScriptedAlertPresenter alerts;
    // Echoed to standard output, which ctest shows when a scenario fails.
    RecordingDiagnostics diagnostics{true};
    std::unique_ptr<BluezMock> mock;
    std::unique_ptr<QtBluetoothStack> stack;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<PeripheralManager> manager;
};

} // namespace vontal::test
