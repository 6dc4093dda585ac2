#pragma once

// Starts the BlueZ stand-in (bluez_mock.py under python-dbusmock) on the private system bus of
// the test, scripts it and reads back what the devices received. The process is stopped by its
// id when the object goes, whatever the test's outcome.

#include <QDBusInterface>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vontal::test {

// One operation a device (or the adapter) received.
struct MockOperation {
    std::string operation; // ReadValue, WriteValue, StartNotify, Connect, StartDiscovery, ...
    std::string address;   // of the device; empty for the adapter
    std::string uuid;      // of the characteristic, lower case; empty for device operations
    std::vector<std::uint8_t> value;
    std::string type; // the WriteValue "type" option as sent
};

// Of one device's writes without response ("command" writes).
struct MockCommandWrites {
    unsigned pending = 0;     // waiting for bluetoothd's answer now
    unsigned mostPending = 0; // the most that waited at once
    std::vector<std::uint8_t> last;
};

// The paths of a device with vontal's GATT layout.
struct MockVontalDevice {
    std::string address;
    QString path;
    QString service;
    QString password;
    QString data;
    QString deviceName;
};

class BluezMock {
public:
    struct Options {
        bool adapter = true;
        // Run as a program called bluetoothd that answers --version with this (empty: run the
        // mock directly, so nothing can tell its version).
        QString fakeBluetoothdVersion;
    };

    BluezMock() : BluezMock(Options{}) {}
    explicit BluezMock(Options options);
    ~BluezMock();
    BluezMock(const BluezMock&) = delete;
    BluezMock& operator=(const BluezMock&) = delete;

    // bluetoothd goes away (its process ends) and, with restart, comes back empty.
    void stop();
    void restart();
    qint64 pid() const;

    // Scripting; each call fails the test if the mock refuses it.
    void addAdapter(const QString& address = QStringLiteral("00:1A:7D:DA:71:13"));
    void removeAdapter();
    QString addDevice(const std::string& address, const QString& name,
                      const QStringList& serviceUuids);
    QString addService(const std::string& address, const QString& uuid);
    QString addCharacteristic(const QString& service, const QString& uuid, const QStringList& flags,
                              const QByteArray& value = {});
    // A device that advertises vontal's service and carries its three characteristics.
    MockVontalDevice addVontalDevice(const std::string& address, const QString& name,
                                     const QByteArray& password, const QByteArray& customName,
                                     const QByteArray& dataValue = QByteArray("\x00\x7f", 2));
    void setPassword(const QString& characteristic, const QByteArray& password);
    void refuseWrites(const QString& characteristic, const QString& errorName);
    void notify(const QString& characteristic, const QByteArray& value);
    void setPowered(bool powered);
    // bluetoothd holds its name but leaves GetManagedObjects unanswered; the calls held are
    // answered when it speaks again.
    void setSilent(bool silent);
    // bluetoothd keeps dying and being started again: org.bluez goes and comes back every
    // `period` ms, `times` times in all (a going and a coming back count one each), and is held
    // again at the end. The mock is scripted by its unique name meanwhile.
    void churn(std::chrono::milliseconds period, unsigned times);
    bool churning() const;
    void dropLink(const std::string& address);
    void setMtu(const std::string& address, int mtu);
    void dropLinkOnWrite(const QString& characteristic, bool drops);
    void setReachable(const std::string& address, bool reachable);
    void setRssi(const std::string& address, int rssi);
    // Adds `count` devices with new addresses advertising the services, and removes the oldest
    // of them beyond `keep` (InterfacesRemoved). Returns the addresses added.
    std::vector<std::string> advertiseRotating(unsigned count, unsigned keep,
                                               const QStringList& serviceUuids);
    // bluetoothd answers each write without response to the characteristic (every one, for an
    // empty path) this much later.
    void setWriteDelay(const QString& characteristic, int milliseconds);
    MockCommandWrites commandWrites(const std::string& address) const;

    std::vector<MockOperation> operations() const;
    void clearOperations();
    // dbusmock's log of this run: one line per call it served, property lookups included
    // ("<time> Get <path> <interface>.<property>").
    QStringList logLines() const;

private:
    void start();
    QVariantList call(const QString& method, const QVariantList& arguments) const;

    Options options_;
    std::unique_ptr<QProcess> process_;
    QString logPath_;
    // The mock's own name on the bus, which stays while org.bluez comes and goes.
    QString uniqueName_;
    int generation_ = 0;
};

// Operations filtered by kind and device; uuid filters too when not empty.
std::vector<MockOperation> only(const std::vector<MockOperation>& operations,
                                const std::string& operation, const std::string& address = {},
                                const std::string& uuid = {});

// Bytes of a text, for comparing with recorded values.
std::vector<std::uint8_t> bytesOf(const std::string& text);

} // namespace vontal::test
