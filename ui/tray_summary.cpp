#include "display_text.h"
#include "tray_icon.h"

#include <QCoreApplication>
#include <set>

namespace vontal {

QString TraySummary::toolTip(Format format) const {
    QStringList lines{QStringLiteral("vontal")};
    if (connected.isEmpty())
        lines << QCoreApplication::translate("Tray", "No device connected");
    else if (connected.size() == 1)
        lines << QCoreApplication::translate("Tray", "1 device connected:");
    else
        lines << QCoreApplication::translate("Tray", "%1 devices connected:").arg(connected.size());
    lines << connected;
    if (waitingForPassword)
        lines << QCoreApplication::translate("Tray", "A device is waiting for its password");
    lines << problems;

    const QString more = QStringLiteral("\n") + QChar(0x2026);
    QString tip;
    for (const QString& line : lines) {
        const QString shown = format == Format::Markup ? line.toHtmlEscaped() : line;
        const qsizetype room = display::kToolTipLength - more.size() - (tip.isEmpty() ? 0 : 1);
        if (tip.size() + shown.size() > room)
            return tip + more;
        if (!tip.isEmpty())
            tip += QLatin1Char('\n');
        tip += shown;
    }
    return tip;
}

TraySummary summarize(const PeripheralManager& manager, int openPasswordAlerts,
                      const StatusReport* status) {
    TraySummary summary;
    // The connected list may hold one device twice (a second "Connect" on a row whose link is
    // down); the user has one device.
    std::set<BluetoothUuid> seen;
    for (const PeripheralRef& peripheral : manager.connectedPeripherals()) {
        // A device whose link is up but that has not accepted its password (or refused it)
        // hears nothing; it does not count as connected here.
        if (peripheral->state() != PeripheralState::Connected ||
            !manager.isUnlocked(peripheral->identifier()) ||
            !seen.insert(peripheral->identifier()).second)
            continue;
        summary.connected << display::shown(manager.displayName(peripheral));
    }
    summary.waitingForPassword = openPasswordAlerts > 0;
    if (status)
        summary.problems = status->texts();
    return summary;
}

} // namespace vontal
