#include "qt_bluetooth_stack.h"

#include "qt_central.h"

namespace vontal {

QtBluetoothStack::QtBluetoothStack(Diagnostics& diagnostics) : diagnostics_(diagnostics) {}

std::unique_ptr<Central> QtBluetoothStack::makeCentral(CentralDelegate& delegate) {
    return std::make_unique<QtCentral>(delegate, diagnostics_);
}

} // namespace vontal
