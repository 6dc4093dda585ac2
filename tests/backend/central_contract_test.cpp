// The central's rules on Qt Bluetooth, against the BlueZ stand-in in the real Qt event loop.

#include "platform/qt/bluetooth/qt_bluetooth_stack.h"
#include "tests/support/bluez/bluez_mock_client.h"
#include "tests/support/bluez/qt_wait.h"
#include "tests/support/contract/central_contract.h"
#include "tests/support/sim/recording_diagnostics.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdio>
#include <map>

namespace vontal::contract {
namespace {

using test::BluezMock;
using test::MockOperation;
using test::MockVontalDevice;
using test::only;

std::string addressText(std::uint64_t address) {
    char text[18];
    std::snprintf(
        text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X",
        static_cast<unsigned>(address >> 40) & 0xFF, static_cast<unsigned>(address >> 32) & 0xFF,
        static_cast<unsigned>(address >> 24) & 0xFF, static_cast<unsigned>(address >> 16) & 0xFF,
        static_cast<unsigned>(address >> 8) & 0xFF, static_cast<unsigned>(address) & 0xFF);
    return text;
}

QByteArray qBytes(const std::string& text) {
    return QByteArray::fromStdString(text);
}

class QtCentralBackend {
public:
    // bluetoothd answers a disconnection later; until then the link is on its way down.
    static constexpr PeripheralState kStateRightAfterCancellingALink =
        PeripheralState::Disconnecting;

    void addVontalDevice(const ContractDevice& device) {
        const QByteArray data(reinterpret_cast<const char*>(device.dataValue.data()),
                              static_cast<qsizetype>(device.dataValue.size()));
        devices[device.address] =
            mock->addVontalDevice(addressText(device.address), QString::fromStdString(device.name),
                                  qBytes(device.password), qBytes(device.customName), data);
    }
    void addOtherDevice(std::uint64_t address, const std::string& name,
                        const BluetoothUuid& service) {
        mock->addDevice(addressText(address), QString::fromStdString(name),
                        {QString::fromStdString(service.toString()).toLower()});
    }
    std::unique_ptr<Central> makeCentral(CentralDelegate& delegate) {
        if (!stack)
            stack = std::make_unique<QtBluetoothStack>(diagnostics);
        return stack->makeCentral(delegate);
    }

    void hearAgain(std::uint64_t address) { mock->setRssi(addressText(address), -40); }
    void dropLink(std::uint64_t address) { mock->dropLink(addressText(address)); }
    void notify(std::uint64_t address, const BluetoothUuid& characteristic, Bytes value) {
        const MockVontalDevice& device = devices.at(address);
        const QString path = characteristic == PeripheralManager::passwordCharUUID ? device.password
                             : characteristic == PeripheralManager::deviceNameUUID
                                 ? device.deviceName
                                 : device.data;
        mock->notify(path, QByteArray(reinterpret_cast<const char*>(value.data()),
                                      static_cast<qsizetype>(value.size())));
    }

    bool waitUntil(const std::function<bool()>& condition) { return test::waitUntil(condition); }
    // Everything posted to the event loop before this call has been delivered.
    bool settle() {
        bool reached = false;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&] { reached = true; }, Qt::QueuedConnection);
        return test::waitUntil([&] { return reached; });
    }
    bool waitForLinkToEnd(std::uint64_t address) {
        return test::waitUntil(
            [&] { return !only(mock->operations(), "Disconnect", addressText(address)).empty(); });
    }
    std::vector<ContractWrite> writesReceived(std::uint64_t address,
                                              const BluetoothUuid& characteristic) {
        std::vector<ContractWrite> received;
        const std::string uuid =
            QString::fromStdString(characteristic.toString()).toLower().toStdString();
        for (const MockOperation& write :
             only(mock->operations(), "WriteValue", addressText(address), uuid)) {
            EXPECT_TRUE(write.type == "command" || write.type == "request")
                << "a write of type \"" << write.type << "\"";
            received.push_back({write.value, write.type == "command" ? WriteType::WithoutResponse
                                                                     : WriteType::WithResponse});
        }
        return received;
    }

private:
    // Echoed to standard output, which ctest shows when a scenario fails.
    RecordingDiagnostics diagnostics{true};
    // Declared before the stack, which goes first.
    std::unique_ptr<BluezMock> mock = std::make_unique<BluezMock>();
    std::unique_ptr<QtBluetoothStack> stack;
    std::map<std::uint64_t, MockVontalDevice> devices;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(QtCentral, CentralContract, QtCentralBackend);

} // namespace vontal::contract
