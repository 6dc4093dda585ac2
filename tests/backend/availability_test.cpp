// Machines where Bluetooth LE cannot work as things stand say so once, and pick Bluetooth up as
// soon as it can work.

#include "platform/qt/bluetooth/bluez/bluez_daemon.h"
#include "scenario.h"

namespace vontal::test {
namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

TEST_F(BackendScenario, WithoutBluetoothdItSaysSoOnceAndStartsWhenBluetoothdDoes) {
    storePassword(kDeskIdentifier, "hunter2");
    startManager();
    ASSERT_TRUE(waitForLine("Central state: 2"));
    ASSERT_EQ(diagnostics.lines().size(), 2u);
    EXPECT_EQ(diagnostics.lines()[0],
              "Bluetooth is unavailable: bluetoothd (BlueZ) is not running; vontal will use it as "
              "soon as it starts");
    EXPECT_EQ(manager->central()->state(), CentralState::Unsupported);
    EXPECT_EQ(stack->problem(), BluetoothProblem::BluezMissing);

    mock = std::make_unique<BluezMock>();
    mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
    ASSERT_TRUE(waitForLine("Bluetooth powered ON — restarting scan and reconnect"));
    ASSERT_TRUE(waitForConnected(kDeskIdentifier));
    ASSERT_TRUE(waitForLine("Password accepted – proceeding with data characteristic"));
    // The version was fine, so nothing more was said about bluetoothd.
    for (const auto& line : diagnostics.lines())
        EXPECT_FALSE(startsWith(line, "Bluetooth is unavailable") &&
                     line != diagnostics.lines()[0]);
}

TEST_F(BackendScenario, AnAdapterThatComesAndGoesIsNoticed) {
    BluezMock::Options options;
    options.adapter = false;
    mock = std::make_unique<BluezMock>(options);
    mock->addAdapter();
    // Removed again before the manager exists: it starts with bluetoothd but no adapter.
    mock->removeAdapter();
    startManager();
    ASSERT_TRUE(waitForLine("Central state: 2"));
    // Waiting for an adapter asks bluetoothd nothing: the adapter is heard of when it comes.
    const auto asked = [&] {
        return mock->logLines().filter(QStringLiteral("GetManagedObjects")).size();
    };
    const auto before = asked();
    waitUntil([] { return false; }, std::chrono::milliseconds(1500));
    EXPECT_EQ(asked(), before);

    mock->addAdapter();
    mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
    storePassword(kDeskIdentifier, "hunter2");
    ASSERT_TRUE(waitForLine("Bluetooth powered ON — restarting scan and reconnect"));
    ASSERT_TRUE(waitForConnected(kDeskIdentifier));

    mock->removeAdapter();
    ASSERT_TRUE(waitUntil([&] { return countLines("Central state: 2") == 2; }));
    EXPECT_EQ(manager->central()->state(), CentralState::Unsupported);
    // Nothing about bluetoothd itself: it was there all along.
    for (const auto& line : diagnostics.lines())
        EXPECT_FALSE(startsWith(line, "Bluetooth is unavailable")) << line;
}

TEST_F(BackendScenario, ABluetoothdTooOldForQtIsReportedInOneLine) {
    qunsetenv("BLUETOOTH_FORCE_DBUS_LE_VERSION");
    BluezMock::Options options;
    options.fakeBluetoothdVersion = "5.40";
    mock = std::make_unique<BluezMock>(options);
    EXPECT_EQ(bluezVersion(), std::optional<QVersionNumber>(QVersionNumber(5, 40)));
    startManager();
    ASSERT_TRUE(waitForLine("Bluetooth powered ON — restarting scan and reconnect"));
    EXPECT_EQ(diagnostics.lines().front(),
              "Bluetooth LE is unavailable: bluetoothd 5.40 is older than 5.42, the oldest BlueZ "
              "that Qt Bluetooth can use for Bluetooth LE");
    EXPECT_EQ(diagnostics.lines().size(), 2u);
}

TEST_F(BackendScenario, ACurrentBluetoothdWorksWithoutForcingQtsChoice) {
    // What a real machine has: Qt asks bluetoothd for its version, and BlueZ over D-Bus is used.
    qunsetenv("BLUETOOTH_FORCE_DBUS_LE_VERSION");
    BluezMock::Options options;
    options.fakeBluetoothdVersion = "5.66";
    mock = std::make_unique<BluezMock>(options);
    mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
    storePassword(kDeskIdentifier, "hunter2");
    startManager();
    ASSERT_TRUE(waitForLine("Write for pairing succeeded (pairing prompt should appear)"));
    EXPECT_EQ(diagnostics.lines().front(), "Bluetooth powered ON — restarting scan and reconnect");
}

TEST_F(BackendScenario, ABluetoothdWhoseVersionCannotBeToldIsReported) {
    qunsetenv("BLUETOOTH_FORCE_DBUS_LE_VERSION");
    mock = std::make_unique<BluezMock>(); // a Python program: "Python 3..." is no BlueZ version
    EXPECT_FALSE(bluezVersion());
    startManager();
    ASSERT_TRUE(waitForLine("Bluetooth powered ON — restarting scan and reconnect"));
    EXPECT_EQ(diagnostics.lines().front(),
              "Bluetooth LE may not work: the version of bluetoothd cannot be told, and Qt "
              "Bluetooth needs BlueZ 5.42 or newer");
}

} // namespace
} // namespace vontal::test

namespace vontal::test {
namespace {

TEST_F(BackendScenario, WithoutASystemBusItSaysSoAndStaysUnsupported) {
    // Before Qt's first use of the system bus, which it keeps for the whole process.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/vontal/system_bus_socket");
    startManager();
    ASSERT_TRUE(waitForLine("Central state: 2"));
    EXPECT_EQ(diagnostics.lines(),
              (std::vector<std::string>{"Bluetooth is unavailable: the D-Bus system bus cannot be "
                                        "reached, so BlueZ (bluetoothd) cannot be used",
                                        "Central state: 2"}));
    // The window hears the reason the central's state cannot tell.
    EXPECT_EQ(stack->problem(), BluetoothProblem::NoSystemBus);
}

TEST_F(BackendScenario, TheWindowLearnsWhyAndSwitchesTheAdapterOnThroughBlueZ) {
    mock = std::make_unique<BluezMock>();
    mock->setPowered(false);
    startManager();
    ASSERT_TRUE(waitUntil([&] { return stack->problem() == BluetoothProblem::AdapterOff; }));
    int told = 0;
    const Subscription heard = stack->availabilityChanged().subscribe([&] { ++told; });

    std::optional<std::optional<std::string>> answer;
    stack->switchAdapterOn([&](std::optional<std::string> whyNot) { answer = whyNot; });
    // Answered later, never inside the request.
    EXPECT_FALSE(answer.has_value());
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(*answer, std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return stack->problem() == BluetoothProblem::None; }));
    EXPECT_EQ(told, 1);
    ASSERT_TRUE(waitForLine("Bluetooth powered ON — restarting scan and reconnect"));
    // BlueZ was asked through the adapter's Powered property.
    EXPECT_FALSE(
        mock->logLines().filter(QStringLiteral("Powered")).filter(QStringLiteral("Set")).isEmpty())
        << mock->logLines().join('\n').toStdString();

    // Without an adapter there is nothing to switch on, and the answer says so.
    mock->removeAdapter();
    ASSERT_TRUE(waitUntil([&] { return stack->problem() == BluetoothProblem::NoAdapter; }));
    answer.reset();
    stack->switchAdapterOn([&](std::optional<std::string> whyNot) { answer = whyNot; });
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(*answer, std::optional<std::string>("bluetoothd has no adapter to switch on"));
}

} // namespace
} // namespace vontal::test

namespace vontal::test {
namespace {

const std::string kSilenceLine =
    "bluetoothd does not answer (no reply from org.bluez within 2 s); vontal asks again every few "
    "seconds and uses it once it answers";

TEST_F(BackendScenario, ABluetoothdThatDoesNotAnswerHoldsNothingUpAndIsUsedOnceItAnswers) {
    mock = std::make_unique<BluezMock>();
    mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
    storePassword(kDeskIdentifier, "hunter2");
    mock->setSilent(true);
    const auto held = [&] {
        return mock->logLines().filter(QStringLiteral("GetManagedObjects held")).size();
    };

    // Far below the 25 s a blocking call waits; a start does not wait on bluetoothd at all.
    const auto started = std::chrono::steady_clock::now();
    startManager();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    // Not known yet is not "no adapter": nothing alarming, and no state reported.
    EXPECT_EQ(stack->problem(), BluetoothProblem::BluezNotAnsweredYet);
    EXPECT_EQ(manager->central()->state(), CentralState::Unknown);
    ASSERT_TRUE(waitUntil([&] { return held() == 1; }));
    for (const auto& line : diagnostics.lines())
        EXPECT_FALSE(startsWith(line, "Central state") || startsWith(line, "bluetoothd")) << line;

    // Once the question times out it is said, once, and asked again a while later.
    ASSERT_TRUE(waitForLine(kSilenceLine));
    EXPECT_EQ(stack->problem(), BluetoothProblem::BluezNotAnswering);
    ASSERT_TRUE(waitForLine("Central state: 2"));
    ASSERT_TRUE(waitUntil([&] { return held() == 2; }));
    EXPECT_EQ(countLines(kSilenceLine), 1u);

    // Speaking again: the next question is answered, the adapter taken and the device unlocked.
    mock->setSilent(false);
    ASSERT_TRUE(waitForLine("bluetoothd answers again"));
    ASSERT_TRUE(waitForLine("Bluetooth powered ON — restarting scan and reconnect"));
    ASSERT_TRUE(waitForConnected(kDeskIdentifier));
    ASSERT_TRUE(waitForLine("Password accepted – proceeding with data characteristic"));
    EXPECT_EQ(stack->problem(), BluetoothProblem::None);
    EXPECT_EQ(countLines(kSilenceLine), 1u);

    // Switching the adapter on waits on bluetoothd only in the background.
    mock->setPowered(false);
    ASSERT_TRUE(waitUntil([&] { return stack->problem() == BluetoothProblem::AdapterOff; }));
    mock->setSilent(true);
    const auto heldBefore = held();
    std::optional<std::optional<std::string>> answer;
    stack->switchAdapterOn([&](std::optional<std::string> whyNot) { answer = whyNot; });
    ASSERT_TRUE(waitUntil([&] { return held() == heldBefore + 1; }));
    EXPECT_FALSE(answer.has_value());
    mock->setSilent(false);
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(*answer, std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return stack->problem() == BluetoothProblem::None; }));
}

} // namespace
} // namespace vontal::test
