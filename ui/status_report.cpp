#include "status_report.h"

#include "display_text.h"
#include "password_storage_line.h"
#include "platform/frontmost/bus_name_claim.h"
#include "platform/vault_backed_defaults.h"

#include <QCoreApplication>
#include <QPointer>

namespace vontal {

QString extensionStatusText(ShellExtension::State state, const QString& shellVersion) {
    switch (state) {
    case ShellExtension::State::Off:
        return QCoreApplication::translate(
            "ExtensionNotice", "Application names are not sent until the GNOME extension is "
                               "switched on.");
    case ShellExtension::State::NextLogin:
        return QCoreApplication::translate(
            "ExtensionNotice", "Application names are sent after your next login, when GNOME loads "
                               "the extension.");
    case ShellExtension::State::OutOfDate:
        return QCoreApplication::translate("ExtensionNotice",
                                           "Application names are not sent: vontal's GNOME "
                                           "extension does not support GNOME Shell %1 yet.")
            .arg(display::shown(shellVersion.section(QLatin1Char('.'), 0, 0)));
    case ShellExtension::State::Failed:
        return QCoreApplication::translate(
            "ExtensionNotice", "Application names are not sent: GNOME could not run vontal's "
                               "extension.");
    case ShellExtension::State::NotInstalled:
        return QCoreApplication::translate(
            "ExtensionNotice", "Application names are not sent: vontal's GNOME extension is not "
                               "installed. Installing vontal's package installs it.");
    case ShellExtension::State::Unknown:
    case ShellExtension::State::On:
        break;
    }
    return {};
}

StatusReport::StatusReport(PeripheralManager& manager, StatusSources sources,
                           Diagnostics& diagnostics, QObject* parent)
    : QObject(parent), manager_(manager), sources_(std::move(sources)), diagnostics_(diagnostics),
      changePacer_([this] { changed_.fire(); }) {
    // The lists being empty matters only after they changed; the manager tells before they do.
    managerChanges_ = manager_.objectWillChange().subscribe([this] { scheduleChanged(); });
    if (sources_.bluetooth)
        availabilityChanges_ =
            sources_.bluetooth->availabilityChanged().subscribe([this] { scheduleChanged(); });
    if (const auto& extension = sources_.desktop.extension)
        connect(extension.get(), &ShellExtension::changed, this, [this] {
            // Whatever the Shell says now answers a request to switch it on.
            switchingExtension_ = false;
            scheduleChanged();
        });
    if (const auto& busName = sources_.desktop.busName)
        connect(busName.get(), &BusNameClaim::changed, this, [this] { scheduleChanged(); });
    if (sources_.passwords)
        passwordStorageChanges_ =
            sources_.passwords->storageChanged().subscribe([this] { scheduleChanged(); });
}

StatusReport::~StatusReport() = default;

BluetoothProblem StatusReport::bluetoothProblem() const {
    if (sources_.bluetooth)
        return sources_.bluetooth->problem();
    const Central* central = manager_.central();
    switch (central ? central->state() : CentralState::Unknown) {
    case CentralState::PoweredOff:
        return BluetoothProblem::AdapterOff;
    case CentralState::Unsupported:
        return BluetoothProblem::NoAdapter;
    default:
        return BluetoothProblem::None;
    }
}

std::optional<StatusReport::Line> StatusReport::bluetoothLine() const {
    const BluetoothProblem problem = bluetoothProblem();
    switch (problem) {
    case BluetoothProblem::NoSystemBus:
        return Line{Topic::Bluetooth,
                    QCoreApplication::translate(
                        "StatusLine",
                        "Bluetooth cannot be used: the D-Bus system bus is not running. Start it, "
                        "then start vontal again.")};
    case BluetoothProblem::BluezMissing:
        return Line{Topic::Bluetooth,
                    QCoreApplication::translate(
                        "StatusLine",
                        "Bluetooth cannot be used: the Bluetooth service (bluetoothd) is not "
                        "running. Start it, and vontal carries on by itself.")};
    case BluetoothProblem::BluezNotAnsweredYet:
        // Moments at most: nothing worth a line.
        return std::nullopt;
    case BluetoothProblem::BluezNotAnswering:
        return Line{Topic::Bluetooth,
                    QCoreApplication::translate(
                        "StatusLine",
                        "Bluetooth cannot be used: the Bluetooth service (bluetoothd) does not "
                        "answer. vontal carries on by itself once it does; restarting bluetoothd "
                        "may help.")};
    case BluetoothProblem::BluezTooOld:
        return Line{Topic::Bluetooth,
                    QCoreApplication::translate(
                        "StatusLine",
                        "Bluetooth LE cannot be used: the installed BlueZ is older than 5.42. "
                        "Update BlueZ, then start vontal again.")};
    case BluetoothProblem::NoAdapter:
        return Line{Topic::Bluetooth,
                    QCoreApplication::translate(
                        "StatusLine",
                        "No Bluetooth adapter was found. Plug one in, or unblock it in your "
                        "system's settings.")};
    case BluetoothProblem::AdapterOff:
        if (!refusal_.isEmpty() && refusedFor_ == problem)
            return Line{Topic::Bluetooth,
                        QCoreApplication::translate(
                            "StatusLine",
                            "Bluetooth is switched off, and BlueZ did not switch it on (%1). "
                            "Switch it on in your system's settings.")
                            .arg(refusal_),
                        Action::SwitchAdapterOn, switching_};
        return Line{Topic::Bluetooth,
                    QCoreApplication::translate(
                        "StatusLine", "Bluetooth is switched off. Switch it on to find devices."),
                    Action::SwitchAdapterOn, switching_};
    case BluetoothProblem::None:
        break;
    }
    if (manager_.connectedPeripherals().empty() && manager_.discoveredPeripherals().empty())
        return Line{Topic::Bluetooth,
                    QCoreApplication::translate(
                        "StatusLine",
                        "Looking for devices. Yours shows up here when it is switched on and "
                        "near this computer.")};
    return std::nullopt;
}

std::optional<StatusReport::Line> StatusReport::extensionLine() const {
    const ShellExtension* extension = sources_.desktop.extension.get();
    if (!extension)
        return std::nullopt;
    const QString text = extensionStatusText(extension->state(), extension->shellVersion());
    if (text.isEmpty())
        return std::nullopt;
    // The Shell can run it now only once it is switched on; in the other states it cannot.
    if (extension->state() == ShellExtension::State::Off)
        return Line{Topic::Extension, text, Action::SwitchExtensionOn, switchingExtension_};
    return Line{Topic::Extension, text};
}

std::optional<StatusReport::Line> StatusReport::desktopLine() const {
    if (const auto& desktop = sources_.desktop.unobservedDesktop)
        return Line{Topic::Desktop,
                    QCoreApplication::translate(
                        "StatusLine",
                        "Application names are not sent: vontal cannot see which application is "
                        "in front on %1. They are sent on X11 sessions, KDE Plasma, GNOME and "
                        "wlroots compositors such as sway.")
                        .arg(display::shown(*desktop))};
    return std::nullopt;
}

std::optional<StatusReport::Line> StatusReport::busNameLine() const {
    const BusNameClaim* busName = sources_.desktop.busName.get();
    if (!busName || !busName->holder())
        return std::nullopt;
    const BusNameClaim::Holder& holder = *busName->holder();
    if (holder.pid == 0)
        return Line{Topic::BusName,
                    QCoreApplication::translate(
                        "StatusLine",
                        "Application names are not sent: another program holds vontal's name on "
                        "the session bus. vontal takes the name as soon as that program lets go "
                        "of it.")};
    const QString program =
        holder.executable.isEmpty() ? QString() : holder.executable.section(QLatin1Char('/'), -1);
    return Line{Topic::BusName,
                QCoreApplication::translate(
                    "StatusLine",
                    "Application names are not sent: another program (%1, process %2) holds "
                    "vontal's name on the session bus. vontal takes the name as soon as that "
                    "program lets go of it.")
                    // In one call: a "%2" in the program's name is not filled in.
                    .arg(program.isEmpty() ? QStringLiteral("?") : display::shown(program),
                         QString::number(holder.pid))};
}

std::vector<StatusReport::Line> StatusReport::lines() const {
    std::vector<Line> all;
    for (auto line : {bluetoothLine(), busNameLine(), extensionLine(), desktopLine()})
        if (line)
            all.push_back(std::move(*line));
    if (!loginLine_.isEmpty())
        all.push_back(Line{Topic::LoginItem, loginLine_});
    if (sources_.passwords)
        if (const auto why = sources_.passwords->fileFallback())
            all.push_back(Line{Topic::Passwords, passwordStorageLine(*why)});
    return all;
}

QStringList StatusReport::texts() const {
    QStringList texts;
    for (const Line& line : lines())
        texts << line.text;
    return texts;
}

void StatusReport::perform(Action action) {
    switch (action) {
    case Action::SwitchAdapterOn:
        switchAdapterOn();
        break;
    case Action::SwitchExtensionOn:
        switchExtensionOn();
        break;
    case Action::None:
        break;
    }
}

void StatusReport::switchAdapterOn() {
    if (switching_ || !sources_.bluetooth)
        return;
    switching_ = true;
    scheduleChanged();
    // The report may be gone by the time BlueZ answers.
    QPointer<StatusReport> self(this);
    sources_.bluetooth->switchAdapterOn([self](std::optional<std::string> whyNot) {
        if (!self)
            return;
        self->switching_ = false;
        if (whyNot) {
            self->diagnostics_.line("BlueZ did not switch the Bluetooth adapter on (" + *whyNot +
                                    ")");
            // BlueZ's words, whatever they hold, stay inside the one line that quotes them.
            self->refusal_ = display::shown(*whyNot, display::kErrorLength);
            self->refusedFor_ = BluetoothProblem::AdapterOff;
        } else {
            self->refusal_.clear();
        }
        self->scheduleChanged();
    });
}

void StatusReport::switchExtensionOn() {
    ShellExtension* extension = sources_.desktop.extension.get();
    if (switchingExtension_ || !extension)
        return;
    switchingExtension_ = true;
    scheduleChanged();
    QPointer<StatusReport> self(this);
    extension->switchOn([self](std::optional<std::string> whyNot) {
        // Agreed: the Shell reports the new state, which ends the request.
        if (!whyNot || !self)
            return;
        self->diagnostics_.line("GNOME Shell did not switch vontal's extension on (" + *whyNot +
                                ")");
        self->switchingExtension_ = false;
        self->scheduleChanged();
    });
}

void StatusReport::loginItemFailed(bool registering, const std::string& description) {
    const QString why = display::shown(description, display::kErrorLength);
    loginLine_ = registering
                     ? QCoreApplication::translate("StatusLine",
                                                   "Launch on login could not be switched on: %1.")
                           .arg(why)
                     : QCoreApplication::translate("StatusLine",
                                                   "Launch on login could not be switched off: %1.")
                           .arg(why);
    scheduleChanged();
}

void StatusReport::loginItemApplied(bool registering, bool enabledNow) {
    if (registering && !enabledNow)
        loginLine_ = QCoreApplication::translate(
            "StatusLine", "Launch on login was set up, but the system does not start vontal at "
                          "login yet.");
    else
        loginLine_.clear();
    scheduleChanged();
}

void StatusReport::paceChanges(Timers& timers, std::chrono::milliseconds gap) {
    changePacer_.pace(timers, gap);
}

void StatusReport::scheduleChanged() {
    changePacer_.request();
}

} // namespace vontal
