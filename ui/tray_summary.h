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
    // manager's order, each once.
    QStringList connected;
    bool waitingForPassword = false;
    // What keeps vontal from doing its job, as the window's status line says it.
    QStringList problems;

    QString toolTip() const;
    friend bool operator==(const TraySummary&, const TraySummary&) = default;
};

// `status` may be null.
TraySummary summarize(const PeripheralManager& manager, int openPasswordAlerts,
                      const StatusReport* status = nullptr);

} // namespace vontal
