// End-to-end scenarios: each runs in its own process, on its own system bus (the runner starts
// and stops dbus-daemon), with its own desktop, BlueZ stand-in and vontal.

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
