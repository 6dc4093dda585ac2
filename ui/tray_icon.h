#pragma once

#include "devicelink/peripheral_manager.h"
#include "prompt_tracker.h"
#include "status_report.h"
#include "update_pacer.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace vontal {

// When the desktop's tray can take vontal's icon. Qt decides once per process, as the first tray
// icon is made, whether it registers icons with a StatusNotifierWatcher or falls back to the X11
// (XEmbed) tray, and asks the watcher with a call that waits for its answer. So the icon is made
// only once a watcher answered, asked without waiting: a watcher that starts after vontal (the
// usual race at login) still gets the icon, and one that hangs holds nothing up. `ready` runs then,
// and again each time the watcher starts anew.
class TrayHost final : public QObject {
public:
    static constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";

    // `fallback`: while no watcher is on the bus, how long to wait for one before `ready` runs
    // anyway (zero: at once); none: wait for a watcher however long it takes.
    TrayHost(QDBusConnection bus, std::optional<std::chrono::milliseconds> fallback,
             std::function<void()> ready, QObject* parent = nullptr);

    // Whether the watcher's last answer said a StatusNotifierItem host is there: Qt then shows the
    // icon as such an item (whose tooltip the host reads as markup), otherwise in the XEmbed tray.
    bool statusNotifierHost() const { return hostRegistered_; }

private:
    void ask();

    QDBusConnection bus_;
    std::function<void()> ready_;
    QDBusServiceWatcher watcher_;
    QTimer fallback_;
    // The watcher's unique name; empty while none runs.
    QString owner_;
    // Counts the questions; only the answer to the latest one counts.
    std::uint64_t questions_ = 0;
    bool hostRegistered_ = false;
};

// What the tray tells at a glance: which devices are connected now (link up and unlocked),
// whether one waits for its password, and what keeps vontal from doing its job.
struct TraySummary {
    // Labels of the devices whose link is up and that accepted their password, in the
    // manager's order, each once, as shown (plain, bounded, controls visible).
    QStringList connected;
    bool waitingForPassword = false;
    // What keeps vontal from doing its job, as the window's status line says it.
    QStringList problems;

    // How the tray shows the tooltip. A StatusNotifierItem host reads it as markup, so every text
    // in it is escaped for that host. Qt's own tooltip (the XEmbed tray) reads plain text, since
    // the first line, "vontal", looks like no markup.
    enum class Format { Plain, Markup };
    // One line per device, each name as the window shows it; under display::kToolTipLength
    // characters in all, the lines that do not fit left out for a last "…".
    QString toolTip(Format format = Format::Plain) const;
    friend bool operator==(const TraySummary&, const TraySummary&) = default;
};

// `status` may be null.
TraySummary summarize(const PeripheralManager& manager, int openPasswordAlerts,
                      const StatusReport* status = nullptr);

// vontal's icon in the desktop's tray while it runs (StatusNotifierItem where the desktop hosts
// one, the XEmbed tray elsewhere; nothing where there is neither). Its tooltip and menu list the
// connected devices and what keeps vontal from doing its job; a click opens or raises a window; its
// menu opens a window or quits.
class TrayIcon final : public QObject {
public:
    TrayIcon(PeripheralManager& manager, StatusReport& status, PromptTracker& prompts,
             std::function<void()> open, std::function<void()> quit, QObject* parent = nullptr);
    ~TrayIcon() override;

    // From now on the tooltip and menu change at most once per gap, showing the state as it is
    // then: a panel is not kept busy by something that flaps underneath.
    void paceRefreshes(Timers& timers, std::chrono::milliseconds gap);

    // Null until the desktop's tray can take it (see TrayHost).
    QSystemTrayIcon* icon() const { return icon_; }

private:
    void place();
    void scheduleRefresh();
    void refresh();

    PeripheralManager& manager_;
    StatusReport& status_;
    PromptTracker& prompts_;
    std::function<void()> open_;
    TrayHost* host_ = nullptr;
    QSystemTrayIcon* icon_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* devicesEnd_ = nullptr;
    // The device entries of the menu, in order; they only inform.
    QList<QAction*> devices_;
    TraySummary summary_;
    // How the host that took the icon reads its tooltip and menu.
    bool statusNotifierItem_ = false;
    UpdatePacer refreshPacer_;
    bool shownOnce_ = false;
    Subscription managerChanges_;
    Subscription promptChanges_;
    Subscription statusChanges_;
};

} // namespace vontal
