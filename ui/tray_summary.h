#pragma once

#include "devicelink/peripheral_manager.h"

#include <QString>
#include <QStringList>

namespace vontal {

// What the tray tells at a glance: which devices are connected now (link up and unlocked) and
// whether one waits for its password.
struct TraySummary {
    // Labels of the devices whose link is up and that accepted their password, in the
    // manager's order, each once.
    QStringList connected;
    bool waitingForPassword = false;

    QString toolTip() const;
    friend bool operator==(const TraySummary&, const TraySummary&) = default;
};

TraySummary summarize(const PeripheralManager& manager, int openPasswordAlerts);

} // namespace vontal
