#pragma once

// One Bluetooth LE device as the device link sees it, on Qt's QLowEnergyController. Every
// connection attempt gets a new controller (Qt does not reconnect a controller reliably), and
// every handle made during a connection belongs to that connection only.
//
// Like CoreBluetooth, a connection request has no time limit: an attempt that fails is made
// again until the link comes up or the request is cancelled. Requests on a peripheral whose link
// is down are ignored, and requests still unanswered when the link goes are dropped; the
// disconnection report is what the device link hears.

#include "central_link.h"
#include "devicelink/bluetooth.h"
#include "qt_gatt_handles.h"
#include "read_echo_filter.h"

#include <QBluetoothDeviceInfo>
#include <QLowEnergyController>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vontal {

class QtPeripheral final : public Peripheral, public std::enable_shared_from_this<QtPeripheral> {
public:
    // Pause before the next attempt to reach a device that did not answer, doubled with each
    // failed attempt in a row up to the maximum.
    static constexpr std::chrono::milliseconds kRetryDelay{1000};
    static constexpr std::chrono::milliseconds kMaximumRetryDelay{60000};

    QtPeripheral(const QBluetoothDeviceInfo& info, std::weak_ptr<CentralLink> link);
    ~QtPeripheral() override;
    QtPeripheral(const QtPeripheral&) = delete;
    QtPeripheral& operator=(const QtPeripheral&) = delete;

    BluetoothUuid identifier() const override { return identifier_; }
    std::optional<std::string> name() const override;
    PeripheralState state() const override { return state_; }
    void setDelegate(PeripheralDelegate* delegate) override { delegate_ = delegate; }

    void discoverServices(const std::vector<BluetoothUuid>& serviceUuids) override;
    std::optional<std::vector<ServiceRef>> services() const override;
    void discoverCharacteristics(const std::vector<BluetoothUuid>& characteristicUuids,
                                 const ServiceRef& service) override;
    void readValue(const CharacteristicRef& characteristic) override;
    void setNotifyValue(bool enabled, const CharacteristicRef& characteristic) override;
    void writeValue(const Bytes& value, const CharacteristicRef& characteristic,
                    WriteType type) override;
    std::optional<std::size_t> maximumWriteValueLength(WriteType type) const override;
    bool canSendWriteWithoutResponse() const override { return commandsInFlight_ == 0; }

    // Used by the central.
    const QBluetoothDeviceInfo& info() const { return info_; }
    void updateInfo(const QBluetoothDeviceInfo& info) { info_ = info; }
    void requestConnection();
    void cancelConnection();
    // The radio or the adapter went away, and every link with it; nothing is reported.
    void dropLink();

private:
    // Connection lifecycle (qt_peripheral.cpp).
    void startAttempt();
    void onControllerState(QLowEnergyController::ControllerState state);
    void onControllerError(QLowEnergyController::Error error);
    void linkUp();
    void linkDown();
    void attemptFailed();
    void releaseConnection();

    // GATT (qt_peripheral_gatt.cpp).
    void onServiceDiscoveryFinished();
    void finishServiceDiscovery(const std::optional<Error>& error);
    void attachService(const std::shared_ptr<QtService>& service);
    void onServiceState(const std::shared_ptr<QtService>& service,
                        QLowEnergyService::ServiceState state);
    void finishCharacteristicDiscovery(const std::shared_ptr<QtService>& service,
                                       const std::optional<Error>& error);
    void answerCharacteristicDiscoveries(const std::shared_ptr<QtService>& service,
                                         const std::optional<Error>& error);
    void onCharacteristicRead(const std::shared_ptr<QtService>& service,
                              const QLowEnergyCharacteristic& characteristic,
                              const QByteArray& value);
    void onCharacteristicWritten(const std::shared_ptr<QtService>& service,
                                 const QLowEnergyCharacteristic& characteristic,
                                 const QByteArray& value);
    void onCharacteristicChanged(const std::shared_ptr<QtService>& service,
                                 const QLowEnergyCharacteristic& characteristic,
                                 const QByteArray& value);
    void onDescriptorWritten(const std::shared_ptr<QtService>& service,
                             const QLowEnergyDescriptor& descriptor, const QByteArray& value);
    void onServiceError(const std::shared_ptr<QtService>& service,
                        QLowEnergyService::ServiceError error);
    // Writes without response straight to bluetoothd (qt_peripheral_commands.cpp).
    void lookUpObjectPaths(const std::shared_ptr<QtService>& service);
    bool sendCommand(const std::shared_ptr<QtCharacteristic>& target, const Bytes& value);
    // The service and characteristic of a handle, when they belong to the live connection.
    std::shared_ptr<QtService> liveService(const ServiceRef& service) const;
    std::pair<std::shared_ptr<QtService>, std::shared_ptr<QtCharacteristic>>
    liveCharacteristic(const CharacteristicRef& characteristic) const;

    // Reports, queued on the central's callback queue.
    void reportToDelegate(std::function<void(PeripheralDelegate&, const PeripheralRef&)> report);
    void
    reportToCentral(std::function<void(CentralDelegate&, Central&, const PeripheralRef&)> report);
    // Wraps a handler of a Qt signal (a member function, or a callable taking the peripheral
    // first) so that it runs only while this peripheral lives and the connection it was made for
    // is still the current one.
    template <typename Handler> auto forThisConnection(Handler handler);

    QBluetoothDeviceInfo info_;
    BluetoothUuid identifier_;
    std::weak_ptr<CentralLink> link_;
    PeripheralDelegate* delegate_ = nullptr;
    PeripheralState state_ = PeripheralState::Disconnected;

    // A connection was asked for and is neither up nor cancelled yet.
    bool wanted_ = false;
    // Counts connection attempts; what belongs to an older one is stale.
    unsigned connection_ = 0;
    QPointer<QLowEnergyController> controller_;
    QTimer retry_;
    unsigned failedAttempts_ = 0;
    std::optional<Error> lastError_;
    // The link's ATT MTU as bluetoothd gives it; unknown until the objects are looked up.
    std::optional<int> linkMtu_;
    // Writes without response sent straight to bluetoothd on this connection and not answered
    // yet. Those that go Qt's way get no answer and are not counted.
    unsigned commandsInFlight_ = 0;

    std::optional<std::vector<std::shared_ptr<QtService>>> services_;
    std::vector<BluetoothUuid> serviceFilter_;
    bool serviceDiscoveryWaiting_ = false;
    ReadEchoFilter echoes_;
};

template <typename Handler> auto QtPeripheral::forThisConnection(Handler handler) {
    return [weak = weak_from_this(), connection = connection_, handler](auto&&... args) {
        auto self = weak.lock();
        if (self && self->connection_ == connection)
            std::invoke(handler, *self, std::forward<decltype(args)>(args)...);
    };
}

} // namespace vontal
