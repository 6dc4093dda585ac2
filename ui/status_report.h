#pragma once

#include "devicelink/peripheral_manager.h"
#include "platform/bluetooth_availability.h"
#include "platform/change_signal.h"
#include "platform/desktop/desktop_status.h"
#include "platform/diagnostics.h"
#include "platform/gnome/shell_extension.h"
#include "platform/timers.h"
#include "update_pacer.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace vontal {

class VaultBackedDefaults;

// Where the reasons come from; each may be absent.
struct StatusSources {
    // Why Bluetooth is unavailable; without it the central's state is all there is to go by.
    BluetoothAvailability* bluetooth = nullptr;
    DesktopStatus desktop;
    // Where device passwords are kept, when the desktop's keyring may keep them.
    VaultBackedDefaults* passwords = nullptr;
};

// The words for a state of vontal's GNOME Shell extension; empty while it needs nothing.
QString extensionStatusText(ShellExtension::State state, const QString& shellVersion);

// Whatever keeps vontal from doing its job, in words the user can act on: one line per concern
// (Bluetooth, vontal's bus name, its GNOME Shell extension, the desktop, launch on login), none
// when all is well. Every window's status line and the tray show these lines, so they say the
// same.
class StatusReport final : public QObject {
public:
    // BusName: another program holds vontal's bus name, so the desktop's reports miss vontal.
    enum class Topic { Bluetooth, BusName, Extension, Desktop, LoginItem, Passwords };
    // Passwords: device passwords are kept in the settings file, not in the keyring.
    // What the button beside a line does; the switch is the user's, so only a click asks.
    enum class Action { None, SwitchAdapterOn, SwitchExtensionOn };
    struct Line {
        Topic topic;
        QString text;
        Action action = Action::None;
        // The action was asked for and its answer has not come yet.
        bool actionPending = false;
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

    // The button beside a line. One request of each at a time.
    void perform(Action action);
    void switchAdapterOn();
    void switchExtensionOn();

    // What the last register or unregister call of a launch-at-login toggle came to: a failure
    // with the service's description, or the status it reports after success.
    void loginItemFailed(bool registering, const std::string& description);
    void loginItemApplied(bool registering, bool enabledNow);

private:
    BluetoothProblem bluetoothProblem() const;
    std::optional<Line> bluetoothLine() const;
    std::optional<Line> busNameLine() const;
    std::optional<Line> extensionLine() const;
    std::optional<Line> desktopLine() const;
    void scheduleChanged();

    PeripheralManager& manager_;
    StatusSources sources_;
    Diagnostics& diagnostics_;
    ChangeSignal changed_;
    Subscription managerChanges_;
    Subscription availabilityChanges_;
    Subscription passwordStorageChanges_;
    bool switching_ = false;
    // Until the Shell refused or reported a state.
    bool switchingExtension_ = false;
    // BlueZ's answer to the last refused switch-on, until the problem changes.
    QString refusal_;
    BluetoothProblem refusedFor_ = BluetoothProblem::None;
    QString loginLine_;
    // Last: it tells changed_, and stops telling when it goes.
    UpdatePacer changePacer_;
};

} // namespace vontal
