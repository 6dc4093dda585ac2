#pragma once

#include <QIcon>
#include <QImage>

namespace vontal {

// vontal's icon, drawn from the artwork compiled into the program, so it shows without an
// installed icon theme.
QIcon applicationIcon();

// The tray's states of that icon: in full colour while a device is connected, greyed while
// none is; a dot in the corner while a device waits for its password.
enum class TrayIconState { NoneConnected, Connected };
QIcon trayIcon(TrayIconState state, bool waitingForPassword);

// One size of an icon, for comparisons.
QImage iconImage(const QIcon& icon, int size);

} // namespace vontal
