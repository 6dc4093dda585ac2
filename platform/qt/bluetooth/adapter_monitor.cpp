#include "adapter_monitor.h"

#include "bluez_daemon.h"
#include "bluez_object_tree.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>

namespace vontal {

namespace {

// GetManagedObjects answers at once from memory; far longer means bluetoothd is stuck.
constexpr int kAnswerTimeoutMs = 2000;
constexpr int kRetryMs = 5000;

struct Adapter {
    QString path;
    QBluetoothAddress address;
};

std::optional<Adapter> firstAdapter(const BluezObjects& objects) {
    // By object path, as Qt lists them: hci0 before hci1.
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const auto adapter = object.value().find(QStringLiteral("org.bluez.Adapter1"));
        if (adapter == object.value().end())
            continue;
        const QBluetoothAddress address(adapter->value(QStringLiteral("Address")).toString());
        if (!address.isNull())
            return Adapter{object.key().path(), address};
    }
    return std::nullopt;
}

bool isTimeout(const QDBusMessage& reply) {
    return reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NoReply") ||
           reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.Timeout");
}

} // namespace

AdapterMonitor::AdapterMonitor(std::function<void()> changed, std::function<void()> bluezStarted)
    : changed_(std::move(changed)), bluezStarted_(std::move(bluezStarted)) {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    QObject::connect(&retry_, &QTimer::timeout, &calls_, [this] { ask(); });
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        watcher_ =
            std::make_unique<QDBusServiceWatcher>(QStringLiteral("org.bluez"), bus,
                                                  QDBusServiceWatcher::WatchForRegistration |
                                                      QDBusServiceWatcher::WatchForUnregistration);
        QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceRegistered, [this] {
            // A new bluetoothd: what the old one answered, or failed to, says nothing about it.
            forgetAnswers();
            unbind();
            bluezRunning_ = true;
            bluezStarted_();
            if (refresh())
                changed_();
        });
        QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceUnregistered, [this] {
            // Everything bluetoothd knew is gone with it, the adapter included.
            bluezRunning_ = false;
            forgetAnswers();
            unbind();
            changed_();
        });
    }
    adapterSignals_ =
        std::make_unique<BluezAdapterSignals>([this](bool removed, const QString& path) {
            // Qt may not have heard of the removal yet, so the bound device may still look valid.
            // Another adapter leaving changes nothing here.
            if (removed && local_ && path == path_) {
                unbind();
                refresh();
                changed_();
            } else if (refresh()) {
                changed_();
            }
        });
    bluezRunning_ = vontal::bluezRunning();
    refresh();
}

AdapterMonitor::~AdapterMonitor() = default;

std::optional<QBluetoothAddress> AdapterMonitor::adapter() const {
    if (!local_ || !local_->isValid())
        return std::nullopt;
    return address_;
}

bool AdapterMonitor::powered() const {
    return adapter() && local_->hostMode() != QBluetoothLocalDevice::HostPoweredOff;
}

bool AdapterMonitor::refresh() {
    if (!bluezRunning_) {
        const bool hadOne = local_ != nullptr;
        unbind();
        return hadOne;
    }
    // Qt marks the device invalid once bluetoothd removed its adapter, but says nothing.
    if (local_ && local_->isValid())
        return false;
    const bool hadOne = local_ != nullptr;
    unbind();
    ask();
    return hadOne;
}

void AdapterMonitor::ask() {
    // The answer in flight is recent enough: bluetoothd serves one question at a time.
    if (asking_ || !bluezRunning_)
        return;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    retry_.stop();
    asking_ = true;
    const QDBusMessage question = QDBusMessage::createMethodCall(
        QStringLiteral("org.bluez"), QStringLiteral("/"),
        QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("GetManagedObjects"));
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(question, kAnswerTimeoutMs), &calls_);
    QObject::connect(call, &QDBusPendingCallWatcher::finished, &calls_,
                     [this, generation = generation_](QDBusPendingCallWatcher* done) {
                         done->deleteLater();
                         if (generation != generation_)
                             return;
                         asking_ = false;
                         answered(done->reply());
                     });
}

void AdapterMonitor::answered(const QDBusMessage& reply) {
    if (isTimeout(reply)) {
        retry_.start();
        if (!silent_) {
            silent_ = true;
            changed_();
        }
        return;
    }
    // Any other error is an answer too: bluetoothd is there and gives no adapter.
    silent_ = false;
    answered_ = true;
    if (!local_) {
        if (const auto adapter = firstAdapter(bluezObjectsFrom(reply)))
            bind(adapter->path, adapter->address);
    }
    changed_();
}

void AdapterMonitor::forgetAnswers() {
    ++generation_;
    asking_ = false;
    answered_ = false;
    silent_ = false;
    retry_.stop();
}

void AdapterMonitor::bind(const QString& path, const QBluetoothAddress& address) {
    // bluetoothd has just answered, so Qt's own blocking questions about the adapter are quick.
    local_ = std::make_unique<QBluetoothLocalDevice>(address);
    address_ = address;
    path_ = path;
    QObject::connect(local_.get(), &QBluetoothLocalDevice::hostModeStateChanged,
                     [this](QBluetoothLocalDevice::HostMode) { changed_(); });
}

void AdapterMonitor::unbind() {
    local_.reset();
    address_ = QBluetoothAddress();
    path_.clear();
}

} // namespace vontal
