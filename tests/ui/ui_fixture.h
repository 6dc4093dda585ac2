#pragma once

#include "devicelink/peripheral_manager.h"
#include "platform/login_item.h"
#include "platform/sim/vontal_device.h"
#include "tests/support/sim/recording_diagnostics.h"
#include "tests/support/sim/sim_platform.h"

#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace vontal {

class DeviceListView;
class DeviceRow;

// A login-item service whose answers a test sets, recording every call.
class ScriptedLoginItemService final : public LoginItemService {
public:
    struct Call {
        std::string operation; // "status", "register" or "unregister"
        std::string identifier;
        friend bool operator==(const Call&, const Call&) = default;
    };

    // Follows successful calls: enabled after a registration (or `statusAfterRegister`), not
    // registered after an unregistration.
    LoginItemStatus status = LoginItemStatus::NotRegistered;
    std::optional<LoginItemStatus> statusAfterRegister;
    std::optional<LoginItemError> registerError;
    std::optional<LoginItemError> unregisterError;
    std::vector<Call> calls;

    std::unique_ptr<LoginItem> loginItemServiceWithIdentifier(const std::string& id) override;
    // The calls that change something, leaving out status queries.
    std::vector<Call> changes() const;
};

// The manager on the simulated platform, its clock driven by the test; the window's rebuilds
// run when the test lets the Qt loop turn.
class UiFixture : public ::testing::Test {
protected:
    UiFixture();
    ~UiFixture() override;

    // Runs the virtual clock's queued work, then the Qt loop's posted events (the rebuilds).
    void settle();
    // Only the Qt side: the device link does not move.
    static void turnQtLoop();

    BluetoothUuid addDevice(std::uint64_t address, std::optional<std::string> name,
                            std::optional<std::string> password = std::nullopt);
    std::vector<SimRequest> requestsOf(SimRequest::Kind kind, const BluetoothUuid& device) const;

    SimPlatform sim;
    std::unique_ptr<PeripheralManager> manager;
    ScriptedLoginItemService loginItems;
    RecordingDiagnostics uiDiagnostics;
};

// What a row shows, for readable assertions.
QString rowName(const DeviceListView& list, int index);
QString rowStatus(const DeviceListView& list, int index);
QString rowButton(const DeviceListView& list, int index);
void clickRowButton(const DeviceListView& list, int index);
void click(QWidget* widget);

} // namespace vontal
