#include "tray_icon.h"

#include "app_icon.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <xcb/xcb.h>

namespace vontal {

namespace {

using namespace std::chrono_literals;

// With no watcher on the bus, how long an X11 session waits for one before its icon goes to the
// XEmbed tray (where Qt places it as soon as such a tray appears).
constexpr auto kXembedFallback = 30s;

// An X11 tray (the XEmbed system-tray protocol) runs on this display.
bool xembedTrayRuns() {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    bool owned = false;
    if (xcb_connection_has_error(connection) == 0) {
        const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str()),
            nullptr);
        if (atom != nullptr && atom->atom != XCB_ATOM_NONE) {
            xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
                connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
            owned = owner != nullptr && owner->owner != XCB_WINDOW_NONE;
            free(owner);
        }
        free(atom);
    }
    xcb_disconnect(connection);
    return owned;
}

// A device's name as a menu entry shows it: an ampersand is no shortcut mark. Exported over
// dbusmenu, where Qt turns only the first "&" into dbusmenu's shortcut mark "_" (and leaves "_"
// as it is), "_" is doubled and only the first "&" is, so the host shows that one as a shortcut
// on "&" itself and every other character as it is.
QString menuLabel(QString name, bool dbusmenu) {
    if (!dbusmenu)
        return name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    name.replace(QLatin1Char('_'), QStringLiteral("__"));
    if (const qsizetype first = name.indexOf(QLatin1Char('&')); first >= 0)
        name.insert(first, QLatin1Char('&'));
    return name;
}

} // namespace

TrayIcon::TrayIcon(PeripheralManager& manager, StatusReport& status, PromptTracker& prompts,
                   std::function<void()> open, std::function<void()> quit, QObject* parent)
    : QObject(parent), manager_(manager), status_(status), prompts_(prompts), open_(open),
      refreshPacer_([this] { refresh(); }) {
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

    // Read after the change, not in the announcement that comes before it.
    managerChanges_ = manager_.objectWillChange().subscribe([this] { scheduleRefresh(); });
    promptChanges_ = prompts_.changed().subscribe([this] { scheduleRefresh(); });
    statusChanges_ = status_.changed().subscribe([this] { scheduleRefresh(); });

    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        host_ = new TrayHost(
            QDBusConnection::sessionBus(),
            xembedTrayRuns() ? 0ms : std::chrono::milliseconds(kXembedFallback),
            [this] { place(); }, this);
    } else if (platform.startsWith(QLatin1String("wayland"))) {
        // A watcher is the only tray there is.
        host_ = new TrayHost(
            QDBusConnection::sessionBus(), std::nullopt, [this] { place(); }, this);
    } else {
        // No desktop (offscreen): no tray to wait for.
        place();
    }
}

void TrayIcon::place() {
    // Qt's icon registers itself again with a watcher that starts anew; hiding and showing it
    // here as well would drop it from that watcher for a moment.
    if (icon_)
        return;
    // Qt asks the watcher the same question as it makes the icon.
    statusNotifierItem_ = host_ && host_->statusNotifierHost();
    icon_ = new QSystemTrayIcon(this);
    icon_->setContextMenu(menu_);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // The menu has its own entry; a left click or a double click opens a window.
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    open_();
            });
    shownOnce_ = false;
    refresh();
    icon_->show();
}

TrayIcon::~TrayIcon() {
    if (icon_)
        icon_->hide();
    delete menu_;
}

void TrayIcon::paceRefreshes(Timers& timers, std::chrono::milliseconds gap) {
    refreshPacer_.pace(timers, gap);
}

void TrayIcon::scheduleRefresh() {
    refreshPacer_.request();
}

void TrayIcon::refresh() {
    if (!icon_)
        return;
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
    icon_->setToolTip(summary_.toolTip(statusNotifierItem_ ? TraySummary::Format::Markup
                                                           : TraySummary::Format::Plain));

    for (QAction* action : devices_) {
        menu_->removeAction(action);
        delete action;
    }
    devices_.clear();
    for (const QString& name : summary_.connected) {
        auto* action = new QAction(menuLabel(name, statusNotifierItem_), menu_);
        // Informative: the device is listed, not acted on.
        action->setEnabled(false);
        menu_->insertAction(devicesEnd_, action);
        devices_ << action;
    }
    devicesEnd_->setVisible(!devices_.isEmpty());
}

} // namespace vontal
