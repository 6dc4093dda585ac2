#pragma once

#include "devicelink/peripheral_manager.h"
#include "status_report.h"

#include <QString>
#include <QStringList>

namespace vontal {

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

} // namespace vontal
