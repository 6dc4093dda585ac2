#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace vontal {

// When the desktop's tray can take vontal's icon. Qt decides once per process, as the first tray
// icon is made, whether it registers icons with a StatusNotifierWatcher or falls back to the X11
// (XEmbed) tray, and asks the watcher with a call that waits for its answer. So the icon is made
// only once a watcher answered, asked without waiting: a watcher that starts after vontal (the
// usual race at login) still gets the icon, and one that hangs holds nothing up. `ready` runs then,
// and again each time the watcher starts anew.
class TrayHost final : public QObject {
public:
    static constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";

    // `fallback`: while no watcher is on the bus, how long to wait for one before `ready` runs
    // anyway (zero: at once); none: wait for a watcher however long it takes.
    TrayHost(QDBusConnection bus, std::optional<std::chrono::milliseconds> fallback,
             std::function<void()> ready, QObject* parent = nullptr);

    // Whether the watcher's last answer said a StatusNotifierItem host is there: Qt then shows the
    // icon as such an item (whose tooltip the host reads as markup), otherwise in the XEmbed tray.
    bool statusNotifierHost() const { return hostRegistered_; }

private:
    void ask();

    QDBusConnection bus_;
    std::function<void()> ready_;
    QDBusServiceWatcher watcher_;
    QTimer fallback_;
    // The watcher's unique name; empty while none runs.
    QString owner_;
    // Counts the questions; only the answer to the latest one counts.
    std::uint64_t questions_ = 0;
    bool hostRegistered_ = false;
};

} // namespace vontal
