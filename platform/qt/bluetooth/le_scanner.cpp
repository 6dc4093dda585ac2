#include "le_scanner.h"

#include "identifiers.h"

#include <algorithm>

namespace vontal {

LeScanner::LeScanner(std::function<void(const QBluetoothDeviceInfo&)> found)
    : found_(std::move(found)) {
    clock_.start();
}

LeScanner::~LeScanner() {
    reset();
}

void LeScanner::start(const QBluetoothAddress& adapter, std::vector<BluetoothUuid> services) {
    if (agent_ && agentAdapter_ != adapter)
        reset();
    if (!agent_) {
        agent_ = std::make_unique<QBluetoothDeviceDiscoveryAgent>(adapter);
        agentAdapter_ = adapter;
        agent_->setLowEnergyDiscoveryTimeout(0);
        QObject::connect(agent_.get(), &QBluetoothDeviceDiscoveryAgent::deviceDiscovered,
                         [this](const QBluetoothDeviceInfo& info) { consider(info); });
        QObject::connect(agent_.get(), &QBluetoothDeviceDiscoveryAgent::deviceUpdated,
                         [this](const QBluetoothDeviceInfo& info, QBluetoothDeviceInfo::Fields) {
                             consider(info);
                         });
    }
    services_ = std::move(services);
    reported_.clear();
    scanning_ = true;
    if (agent_->isActive())
        agent_->stop();
    // Started again after a stop, Qt waits for the stop to finish before it starts.
    agent_->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
}

void LeScanner::stop() {
    scanning_ = false;
    if (agent_ && agent_->isActive())
        agent_->stop();
}

void LeScanner::reset() {
    scanning_ = false;
    if (!agent_)
        return;
    QObject::disconnect(agent_.get(), nullptr, nullptr, nullptr);
    if (agent_->isActive())
        agent_->stop();
    agent_.release()->deleteLater();
    restartQueued_ = false;
}

void LeScanner::restartWhenAgentListIsLong() {
    if (restartQueued_ || agent_->discoveredDevices().size() <= kAgentListLimit)
        return;
    // Not from inside the agent's own signal. The reports already made stand: a device heard
    // again is reported again only after the usual pause.
    restartQueued_ = true;
    QMetaObject::invokeMethod(
        agent_.get(),
        [this, alive = std::weak_ptr<int>(lifetime_), agent = agent_.get()] {
            if (alive.expired() || agent_.get() != agent)
                return;
            restartQueued_ = false;
            if (!scanning_)
                return;
            if (agent_->isActive())
                agent_->stop();
            agent_->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
        },
        Qt::QueuedConnection);
}

void LeScanner::consider(const QBluetoothDeviceInfo& info) {
    restartWhenAgentListIsLong();
    if (!scanning_ ||
        !(info.coreConfigurations() & QBluetoothDeviceInfo::LowEnergyCoreConfiguration))
        return;
    if (!services_.empty()) {
        const QList<QBluetoothUuid> advertised = info.serviceUuids();
        const bool matches =
            std::any_of(advertised.begin(), advertised.end(), [&](const auto& uuid) {
                return std::find(services_.begin(), services_.end(), fromQtUuid(uuid)) !=
                       services_.end();
            });
        if (!matches)
            return;
    }
    // Qt tells of every change of the signal strength, which comes with nearly every
    // advertisement; the device link needs to hear only now and then that the device is near.
    const qint64 now = clock_.elapsed();
    const qint64 quiet = kReportAgainAfter.count();
    const auto [entry, first] = reported_.try_emplace(peripheralIdentifier(info), now);
    if (!first) {
        if (now - entry->second < quiet)
            return;
        entry->second = now;
    }
    if (reported_.size() >= pruneAt_) {
        std::erase_if(reported_, [&](const auto& heard) { return now - heard.second >= quiet; });
        pruneAt_ = std::max<std::size_t>(64, 2 * reported_.size());
    }
    found_(info);
}

} // namespace vontal
