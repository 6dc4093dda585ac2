#include "demo_devices.h"

#include "sim_bluetooth_stack.h"
#include "vontal_device.h"

#include <chrono>

namespace vontal {

void addDemoDevices(SimBluetoothStack& stack) {
    using std::chrono::milliseconds;
    // Devices in range keep being heard, so that "Discovered" does not forget them.
    stack.setReportAgainAfter(std::chrono::seconds(10));
    const auto realistic = [](SimDeviceSpec deviceSpec) {
        deviceSpec.answerDelay = milliseconds(120);
        deviceSpec.connectDelay = milliseconds(400);
        return deviceSpec;
    };

    stack.addDevice(
        realistic(vontalDevice(identifierForAddress(0xC0FFEE000001), "Vontal Pad", "1234")));
    stack.addDevice(realistic(
        vontalDevice(identifierForAddress(0xC0FFEE000002), "VNT-DSP", "0000", "Desk Display")));

    SimDeviceSpec keys = vontalDevice(identifierForAddress(0xC0FFEE000003), "Macro Keys", "4321");
    keys.refuseFirstPasswordWrites = 1;
    stack.addDevice(realistic(std::move(keys)));

    SimDeviceSpec heartRate;
    heartRate.identifier = identifierForAddress(0xC0FFEE000004);
    heartRate.name = "Heart Rate";
    heartRate.advertisedServices = {BluetoothUuid::fromString("180D")};
    heartRate.services = {{BluetoothUuid::fromString("180D"),
                           {{BluetoothUuid::fromString("2A37"), Bytes{0x00, 0x48}}}}};
    stack.addDevice(realistic(std::move(heartRate)));
}

} // namespace vontal
