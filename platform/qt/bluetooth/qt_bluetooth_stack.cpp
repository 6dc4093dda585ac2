#include "qt_bluetooth_stack.h"

#include "bluez/bluez_client.h"
#include "qt_central.h"

namespace vontal {

QtBluetoothStack::QtBluetoothStack(Diagnostics& diagnostics) : diagnostics_(diagnostics) {}

QtBluetoothStack::~QtBluetoothStack() {
    BluezClient::waitUntilSent();
}

std::unique_ptr<Central> QtBluetoothStack::makeCentral(CentralDelegate& delegate) {
    return std::make_unique<QtCentral>(delegate, diagnostics_, availability_);
}

void QtBluetoothStack::switchAdapterOn(std::function<void(std::optional<std::string>)> done) {
    BluezClient::switchAdapterOn(availability_->adapter, std::move(done));
}

} // namespace vontal
