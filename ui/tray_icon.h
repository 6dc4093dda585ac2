#pragma once

#include "devicelink/peripheral_manager.h"
#include "prompt_tracker.h"
#include "tray_host.h"
#include "tray_summary.h"
#include "update_pacer.h"

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace vontal {

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
