// "Discovered" under devices that rotate their addresses: bluetoothd adds a device object for
// every new address and removes the ones it stopped hearing; the list and the backend's own
// bookkeeping follow, and stay bounded.

#include "platform/qt/bluetooth/qt_central.h"
#include "scenario.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <set>

namespace vontal::test {
namespace {

const QString kVontalService = QStringLiteral("837084c2-c091-41ff-a39f-4c43873ce2d5");

std::string identifierOf(const std::string& address) {
    std::string digits;
    for (char c : address)
        if (c != ':')
            digits += c;
    return "00000000-0000-0000-0000-" + digits;
}

class RotatingAddresses : public BackendScenario {
protected:
    std::set<std::string> listed() const {
        std::set<std::string> identifiers;
        for (const PeripheralRef& peripheral : manager->discoveredPeripherals())
            identifiers.insert(peripheral->identifier().toString());
        return identifiers;
    }
};

TEST_F(RotatingAddresses, ThousandsOfAddressesKeepTheListAndTheBackendBounded) {
    mock = std::make_unique<BluezMock>();
    PeripheralManager::Settings settings;
    settings.discoveredCeiling = 100;
    startManager(settings);
    ASSERT_TRUE(waitForLine("Bluetooth powered ON — restarting scan and reconnect"));
    ASSERT_TRUE(waitUntil([&] { return !only(mock->operations(), "StartDiscovery").empty(); }));
    const auto* central = dynamic_cast<const QtCentral*>(manager->central());
    ASSERT_NE(central, nullptr);

    constexpr unsigned kKeep = 40;
    std::vector<std::string> batch;
    std::size_t longest = 0;
    std::size_t mostDevices = 0;
    for (int round = 0; round < 10; ++round) {
        batch = mock->advertiseRotating(300, kKeep, {kVontalService});
        ASSERT_EQ(batch.size(), 300u);
        // The newest address is heard, and with it everything the round added or removed.
        ASSERT_TRUE(waitUntil([&] {
            longest = std::max(longest, manager->discoveredPeripherals().size());
            mostDevices = std::max(mostDevices, central->deviceCount());
            return listed().contains(identifierOf(batch.back()));
        })) << "round "
            << round;
    }
    // Only what bluetoothd still has is listed: the others were reported lost.
    std::set<std::string> kept;
    for (auto address = batch.end() - kKeep; address != batch.end(); ++address)
        kept.insert(identifierOf(*address));
    EXPECT_TRUE(waitUntil([&] { return listed() == kept; }))
        << listed().size() << " listed, " << kept.size() << " still advertising";
    EXPECT_LE(longest, settings.discoveredCeiling);
    // 3,000 addresses came and went; the backend keeps track of what is alive (listed, or a
    // report on its way: up to a round's worth), with room to double before it prunes.
    EXPECT_LE(mostDevices, 2 * (settings.discoveredCeiling + 300) + 64);
    EXPECT_LE(central->scannerCount(), kKeep);
    EXPECT_LE(central->agentCount(), static_cast<std::size_t>(LeScanner::kAgentListLimit) + 300)
        << "Qt's own list of devices";
    EXPECT_TRUE(manager->connectedPeripherals().empty());
    EXPECT_TRUE(alerts.requests().empty());
}

TEST_F(RotatingAddresses, ADeviceStillHeardStaysWhileOneThatFellSilentLeaves) {
    mock = std::make_unique<BluezMock>();
    mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
    mock->addVontalDevice(kLampAddress, "Lamp", "lamp-secret", "Hall");
    PeripheralManager::Settings settings;
    settings.discoveredExpiry = std::chrono::seconds(8);
    settings.discoveredSweepInterval = std::chrono::seconds(1);
    startManager(settings);
    ASSERT_TRUE(waitUntil([&] { return listed().size() == 2; }));

    // bluetoothd keeps hearing the desk (its signal strength changes), never the lamp.
    int rssi = -50;
    QTimer heard;
    QObject::connect(&heard, &QTimer::timeout, [&] { mock->setRssi(kDeskAddress, --rssi); });
    heard.start(1000);
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_TRUE(
        waitUntil([&] { return !listed().contains(kLampIdentifier); }, std::chrono::seconds(20)));
    EXPECT_GE(elapsed.elapsed(), 7500) << "not before the expiry";
    EXPECT_TRUE(listed().contains(kDeskIdentifier)) << "heard again, it stays";
}

} // namespace
} // namespace vontal::test
