#pragma once

// Follows the Bluetooth adapter: whether bluetoothd is on the system bus, whether it has an
// adapter and whether that adapter is powered. Qt finds an adapter only when a
// QBluetoothLocalDevice is made, so adapters coming and going are heard from bluetoothd's object
// manager, and bluetoothd leaving or joining the bus from the bus itself. Nothing is polled.
//
// Qt asks bluetoothd for its adapters with blocking calls that wait up to 25 s, so a bluetoothd
// that holds its name but does not answer would freeze the program. The adapters are therefore
// asked for here without waiting, with a short timeout, and Qt is handed an adapter only once
// bluetoothd has answered. A bluetoothd that does not answer is asked again every few seconds.

#include "bluez_adapter_signals.h"

#include <QBluetoothAddress>
#include <QBluetoothLocalDevice>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace vontal {

class AdapterMonitor {
public:
    // changed: the adapter, its power or bluetoothd's presence changed.
    // bluezStarted: bluetoothd joined the bus after the monitor was made.
    AdapterMonitor(std::function<void()> changed, std::function<void()> bluezStarted);
    ~AdapterMonitor();
    AdapterMonitor(const AdapterMonitor&) = delete;
    AdapterMonitor& operator=(const AdapterMonitor&) = delete;

    // Whether the system bus could be reached when the monitor was made.
    bool busConnected() const { return watcher_ != nullptr; }
    bool bluezRunning() const { return bluezRunning_; }
    // bluetoothd runs and has not yet answered what adapters it has (since the monitor was made
    // or since it last joined the bus); the adapter is unknown, not missing.
    bool waitingForBluez() const { return bluezRunning_ && !answered_ && !silent_; }
    // bluetoothd runs but the last question went unanswered within the timeout.
    bool bluezSilent() const { return bluezRunning_ && silent_; }
    std::optional<QBluetoothAddress> adapter() const;
    bool powered() const;

private:
    // Whether the adapter changed; reports nothing itself. Without a bound adapter it asks
    // bluetoothd, whose answer is reported through `changed` when it comes.
    bool refresh();
    void ask();
    void answered(const QDBusMessage& reply);
    void bind(const QString& path, const QBluetoothAddress& address);
    void unbind();
    // Forgets the question in flight and what bluetoothd answered (it left or came back).
    void forgetAnswers();

    std::function<void()> changed_;
    std::function<void()> bluezStarted_;
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    std::unique_ptr<BluezAdapterSignals> adapterSignals_;
    std::unique_ptr<QBluetoothLocalDevice> local_;
    // Qt reads the address from bluetoothd each time it is asked; it is kept from the answer,
    // with the adapter's object, whose removal is heard from bluetoothd before Qt hears it.
    QBluetoothAddress address_;
    QString path_;
    bool bluezRunning_ = false;
    bool asking_ = false;
    bool answered_ = false;
    bool silent_ = false;
    // Answers to questions asked before bluetoothd last left or came back are dropped.
    int generation_ = 0;
    QTimer retry_;
    // Owns the calls in flight, so that no answer arrives after the monitor went.
    QObject calls_;
};

} // namespace vontal
