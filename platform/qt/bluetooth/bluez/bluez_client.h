#pragma once

// vontal's one way to bluetoothd beside Qt Bluetooth. It keeps bluetoothd's object tree: read
// when bluetoothd is on the system bus, read again whenever its name changes owner, and kept
// current in between from the object manager's InterfacesAdded and InterfacesRemoved and every
// object's PropertiesChanged, so nothing is polled. Qt finds an adapter only when asked and says
// nothing when one comes or goes, its discovery agent never says that a device went away, and it
// does not say which object a characteristic is; the tree tells all three.
//
// Qt asks bluetoothd with blocking calls that wait up to 25 s, so a bluetoothd that holds its name
// but does not answer would freeze the program. The tree is therefore read without waiting, with
// a short timeout, and read again every few seconds until bluetoothd answers. Nothing is reported
// from the client's constructor; every report comes from the event loop.

#include "bluez_object_tree.h"
#include "bus_signals.h"

#include <QBluetoothAddress>
#include <QByteArray>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vontal {

class BluezClient {
public:
    struct Listener {
        // The adapter, its power, or whether bluetoothd runs, has answered or stays silent.
        std::function<void()> changed;
        // bluetoothd took its name on the bus after the client was made.
        std::function<void()> started;
        // bluetoothd forgot a device: it removes the Device1 object of one it has not heard for
        // a while (and is not connected to).
        std::function<void(const QBluetoothAddress&)> deviceRemoved;
    };
    explicit BluezClient(Listener listener);
    ~BluezClient();
    BluezClient(const BluezClient&) = delete;
    BluezClient& operator=(const BluezClient&) = delete;

    // Whether the system bus could be reached when the client was made.
    bool busConnected() const { return watcher_ != nullptr; }
    bool running() const { return running_; }
    // bluetoothd runs and has not yet answered (since the client was made or it last took its
    // name); the adapter is unknown, not missing.
    bool waitingForAnswer() const { return running_ && !answered_ && !silent_; }
    // bluetoothd runs but the last read went unanswered within the timeout.
    bool silent() const { return running_ && silent_; }
    // The adapter vontal uses: the first one bluetoothd has, kept for as long as it stays.
    std::optional<BluezAdapter> adapter() const;

    struct Characteristics {
        std::map<BluetoothUuid, QString> paths;
        // The link's ATT MTU as bluetoothd gives it on them.
        std::optional<int> mtu;
    };
    // Where the characteristics of one service of a device are (see characteristicPaths).
    Characteristics characteristics(const QBluetoothAddress& device,
                                    const QBluetoothAddress& adapter,
                                    const BluetoothUuid& service) const;

    // Switches the adapter with this address on through its Adapter1.Powered. `done` gets
    // nothing, or why it could not; always later, never inside the call.
    static void switchAdapterOn(const QBluetoothAddress& adapter,
                                std::function<void(std::optional<std::string>)> done);
    // Sends the bytes as a write without response (WriteValue with type "command") to the
    // characteristic object at `path`. Nothing blocks on it; bluetoothd answers once it has
    // queued the write to the link, and `answered` gets that answer: nothing, or the description
    // of why it could not send it (too long for the link, say), unless `context` is gone.
    static void writeCommand(QObject* context, const QString& path, const QByteArray& value,
                             std::function<void(const std::optional<QString>& failure)> answered);
    // Returns once every call made so far has left this process.
    static void waitUntilSent();

private:
    // InterfacesAdded, InterfacesRemoved or PropertiesChanged.
    void heard(const QDBusMessage& message);
    void ownerChanged(const QString& oldOwner, const QString& newOwner);
    void read();
    void answered(const QDBusMessage& reply);
    // Forgets the tree, the read in flight and what bluetoothd answered.
    void forget();
    // Takes the first adapter when the one in use went, and reports what changed.
    void settle();
    struct Seen {
        bool running, answered, silent;
        std::optional<BluezAdapter> adapter;
        bool operator==(const Seen&) const = default;
    };
    Seen seen() const;

    Listener listener_;
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    BluezObjects objects_;
    QString adapterPath_;
    bool running_ = false;
    bool reading_ = false;
    bool answered_ = false;
    bool silent_ = false;
    // Answers to reads made before bluetoothd last left or came back are dropped.
    int generation_ = 0;
    QTimer retry_;
    // Owns the calls in flight, so that no answer arrives once the client is gone.
    QObject calls_;
    BusSignals signals_;
    // What the last report was about.
    Seen reported_;
};

} // namespace vontal
