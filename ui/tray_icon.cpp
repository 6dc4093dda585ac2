#include "tray_icon.h"

#include "app_icon.h"

#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace vontal {

TrayIcon::TrayIcon(PeripheralManager& manager, StatusReport& status, PromptTracker& prompts,
                   std::function<void()> open, std::function<void()> quit, QObject* parent)
    : QObject(parent), manager_(manager), status_(status), prompts_(prompts) {
    menu_ = new QMenu;
    menu_->setObjectName(QStringLiteral("trayMenu"));
    connect(menu_->addAction(QCoreApplication::translate("Tray", "Open vontal")),
            &QAction::triggered, this, [open] { open(); });
    menu_->addSeparator();
    devicesEnd_ = menu_->addSeparator();
    // Queued: the menu that sent it is not torn down under its own feet.
    connect(
        menu_->addAction(QCoreApplication::translate("Tray", "Quit")), &QAction::triggered, this,
        [quit] { quit(); }, Qt::QueuedConnection);

    icon_ = new QSystemTrayIcon(this);
    icon_->setContextMenu(menu_);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [open](QSystemTrayIcon::ActivationReason reason) {
                // The menu has its own entry; a left click or a double click opens a window.
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    open();
            });

    // Read after the change, not in the announcement that comes before it.
    managerChanges_ = manager_.objectWillChange().subscribe([this] { scheduleRefresh(); });
    promptChanges_ = prompts_.changed().subscribe([this] { scheduleRefresh(); });
    statusChanges_ = status_.changed().subscribe([this] { scheduleRefresh(); });
    refresh();
    icon_->show();
}

TrayIcon::~TrayIcon() {
    icon_->hide();
    delete menu_;
}

void TrayIcon::scheduleRefresh() {
    if (refreshScheduled_)
        return;
    refreshScheduled_ = true;
    QMetaObject::invokeMethod(this, &TrayIcon::refresh, Qt::QueuedConnection);
}

void TrayIcon::refresh() {
    refreshScheduled_ = false;
    TraySummary now = summarize(manager_, prompts_.open(), &status_);
    if (shownOnce_ && now == summary_)
        return;
    const bool iconChanged = !shownOnce_ ||
                             now.connected.isEmpty() != summary_.connected.isEmpty() ||
                             now.waitingForPassword != summary_.waitingForPassword;
    summary_ = std::move(now);
    shownOnce_ = true;

    if (iconChanged)
        icon_->setIcon(trayIcon(summary_.connected.isEmpty() ? TrayIconState::NoneConnected
                                                             : TrayIconState::Connected,
                                summary_.waitingForPassword));
    icon_->setToolTip(summary_.toolTip());

    for (QAction* action : devices_) {
        menu_->removeAction(action);
        delete action;
    }
    devices_.clear();
    for (const QString& name : summary_.connected) {
        // A device's name is shown as it is: an ampersand is no shortcut mark.
        auto* action =
            new QAction(QString(name).replace(QLatin1Char('&'), QStringLiteral("&&")), menu_);
        // Informative: the device is listed, not acted on.
        action->setEnabled(false);
        menu_->insertAction(devicesEnd_, action);
        devices_ << action;
    }
    devicesEnd_->setVisible(!devices_.isEmpty());
}

} // namespace vontal
