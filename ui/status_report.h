#pragma once

#include "devicelink/change_signal.h"
#include "devicelink/peripheral_manager.h"
#include "platform/bluetooth_availability.h"
#include "platform/diagnostics.h"
#include "platform/timers.h"
#include "update_pacer.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vontal {

class BusNameClaim;
class ShellExtension;
class VaultBackedDefaults;

// Where the reasons come from; each may be absent.
struct StatusSources {
    // Why Bluetooth is unavailable; without it the central's state is all there is to go by.
    BluetoothAvailability* bluetooth = nullptr;
    // Set when application activations cannot be observed on this desktop: its name.
    std::optional<std::string> unobservedDesktop;
    // vontal's GNOME Shell extension, on GNOME.
    std::shared_ptr<ShellExtension> extension;
    // vontal's claim on its bus name, where a desktop component reports over the bus.
    std::shared_ptr<BusNameClaim> busName;
    // Where device passwords are kept, when the desktop's keyring may keep them.
    VaultBackedDefaults* passwords = nullptr;
};

// Whatever keeps vontal from doing its job, in words the user can act on: one line per concern
// (Bluetooth, the desktop, launch on login), none when all is well. Shared by every window and
// the tray, so they say the same.
class StatusReport final : public QObject {
public:
    // BusName: another program holds vontal's bus name, so the desktop's reports miss vontal.
    // Passwords: device passwords are kept in the settings file, not in the keyring.
    enum class Topic { Bluetooth, Desktop, BusName, LoginItem, Passwords };
    enum class Action { None, SwitchAdapterOn };
    struct Line {
        Topic topic;
        QString text;
        Action action = Action::None;
        friend bool operator==(const Line&, const Line&) = default;
    };

    StatusReport(PeripheralManager& manager, StatusSources sources, Diagnostics& diagnostics,
                 QObject* parent = nullptr);
    ~StatusReport() override;

    std::vector<Line> lines() const;
    QStringList texts() const;
    // Told (on a later turn of the event loop) after the lines may have changed.
    ChangeSignal& changed() { return changed_; }
    // From now on told at most once per gap, with the lines as they are then: the status line
    // stays readable while something underneath flaps.
    void paceChanges(Timers& timers, std::chrono::milliseconds gap);
    // Whether a request to switch the adapter on waits for its answer.
    bool switchingAdapterOn() const { return switching_; }
    const std::shared_ptr<ShellExtension>& extension() const { return sources_.extension; }

    // The button beside the Bluetooth line.
    void switchAdapterOn();

    // What the last register or unregister call of a launch-at-login toggle came to: a failure
    // with the service's description, or the status it reports after success.
    void loginItemFailed(bool registering, const std::string& description);
    void loginItemApplied(bool registering, bool enabledNow);

private:
    BluetoothProblem bluetoothProblem() const;
    std::optional<Line> bluetoothLine() const;
    std::optional<Line> desktopLine() const;
    std::optional<Line> busNameLine() const;
    void scheduleChanged();

    PeripheralManager& manager_;
    StatusSources sources_;
    Diagnostics& diagnostics_;
    ChangeSignal changed_;
    Subscription managerChanges_;
    Subscription availabilityChanges_;
    Subscription passwordStorageChanges_;
    bool switching_ = false;
    // BlueZ's answer to the last refused switch-on, until the problem changes.
    QString refusal_;
    BluetoothProblem refusedFor_ = BluetoothProblem::None;
    QString loginLine_;
    // Last: it tells changed_, and stops telling when it goes.
    UpdatePacer changePacer_;
};

} // namespace vontal
