// Backend scenarios run Qt Bluetooth in the real event loop, one scenario per process (the
// runner gives each its own system bus).

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The BlueZ stand-in is a Python program, whose --version Qt cannot read as BlueZ's; this
    // tells Qt which BlueZ to expect. Scenarios about the version detection unset it.
    qputenv("BLUETOOTH_FORCE_DBUS_LE_VERSION", "5.66");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
