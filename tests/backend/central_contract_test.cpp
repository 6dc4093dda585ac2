// The rules every Bluetooth backend keeps, checked on Qt Bluetooth with a recording delegate in
// place of the manager: reports are queued (never inside the call that caused them), a refused
// write is reported on the characteristic that was written, a read gives one value report, a
// write without response none, and nothing arrives once the central is gone.

#include "scenario.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace vontal::test {
namespace {

class Recorder final : public CentralDelegate, public PeripheralDelegate {
public:
    struct Event {
        // No defaulted std::optional<Error> argument: GCC 14 takes the empty temporary for an
        // uninitialized string when it inlines its destructor.
        explicit Event(std::string what, PeripheralRef peripheral = nullptr,
                       CharacteristicRef characteristic = nullptr)
            : what(std::move(what)), peripheral(std::move(peripheral)),
              characteristic(std::move(characteristic)) {}
        Event(std::string what, PeripheralRef peripheral, CharacteristicRef characteristic,
              std::optional<Error> error)
            : what(std::move(what)), peripheral(std::move(peripheral)),
              characteristic(std::move(characteristic)), error(std::move(error)) {}
        std::string what;
        PeripheralRef peripheral;
        CharacteristicRef characteristic;
        std::optional<Error> error;
    };

    // Runs one call of the central's or a peripheral's API, noting reports made inside it.
    template <typename Call> void call(Call&& function) {
        inside_ = true;
        function();
        inside_ = false;
    }
    std::size_t count(const std::string& what) const {
        return static_cast<std::size_t>(std::count_if(
            events.begin(), events.end(), [&](const Event& e) { return e.what == what; }));
    }

    std::vector<Event> events;
    std::vector<std::string> synchronous;

    void centralManagerDidUpdateState(Central&) override { add(Event{"state"}); }
    void didDiscoverPeripheral(Central&, const PeripheralRef& peripheral, const AdvertisementData&,
                               int) override {
        add(Event{"discover", peripheral});
    }
    void didConnectPeripheral(Central&, const PeripheralRef& peripheral) override {
        add(Event{"connect", peripheral});
    }
    void didDisconnectPeripheral(Central&, const PeripheralRef& peripheral,
                                 const std::optional<Error>& error) override {
        add(Event{"disconnect", peripheral, nullptr, error});
    }
    void didDiscoverServices(const PeripheralRef& peripheral,
                             const std::optional<Error>& error) override {
        add(Event{"services", peripheral, nullptr, error});
    }
    void didDiscoverCharacteristics(const PeripheralRef& peripheral, const ServiceRef&,
                                    const std::optional<Error>& error) override {
        add(Event{"characteristics", peripheral, nullptr, error});
    }
    void didUpdateValue(const PeripheralRef& peripheral, const CharacteristicRef& characteristic,
                        const std::optional<Error>& error) override {
        add(Event{"value", peripheral, characteristic, error});
    }
    void didWriteValue(const PeripheralRef& peripheral, const CharacteristicRef& characteristic,
                       const std::optional<Error>& error) override {
        add(Event{"write", peripheral, characteristic, error});
    }
    void didUpdateNotificationState(const PeripheralRef& peripheral,
                                    const CharacteristicRef& characteristic,
                                    const std::optional<Error>& error) override {
        add(Event{"notify", peripheral, characteristic, error});
    }
    void didFailWriteWithoutResponse(const PeripheralRef& peripheral,
                                     const CharacteristicRef& characteristic,
                                     const Error& error) override {
        add(Event{"unsent", peripheral, characteristic, error});
    }

private:
    void add(Event event) {
        if (inside_)
            synchronous.push_back(event.what);
        events.push_back(std::move(event));
    }
    bool inside_ = false;
};

CharacteristicRef find(const ServiceRef& service, const BluetoothUuid& uuid) {
    for (const auto& characteristic :
         service->characteristics().value_or(std::vector<CharacteristicRef>{}))
        if (characteristic->uuid() == uuid)
            return characteristic;
    return nullptr;
}

// Runs the event loop until everything posted before this call has been delivered.
bool drainPostedEvents() {
    bool reached = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { reached = true; }, Qt::QueuedConnection);
    return waitUntil([&] { return reached; });
}

TEST_F(BackendScenario, ReportsAreQueuedAttributedAndEndWithTheCentral) {
    mock = std::make_unique<BluezMock>();
    mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
    stack = std::make_unique<QtBluetoothStack>(diagnostics);
    Recorder recorder;
    std::unique_ptr<Central> central;
    recorder.call([&] { central = stack->makeCentral(recorder); });
    ASSERT_TRUE(waitUntil([&] { return recorder.count("state") == 1; }));
    EXPECT_EQ(central->state(), CentralState::PoweredOn);

    recorder.call([&] { central->scanForPeripherals({PeripheralManager::serviceUUID}); });
    ASSERT_TRUE(waitUntil([&] { return recorder.count("discover") == 1; }));
    const PeripheralRef desk = recorder.events.back().peripheral;
    EXPECT_EQ(desk->identifier().toString(), kDeskIdentifier);
    EXPECT_EQ(desk->name(), std::optional<std::string>("Desk"));
    // Heard again, a device is not reported again in the same scan; one without the service is
    // not reported at all. Lamp, added last, shows when the others would have been reported.
    mock->setRssi(kDeskAddress, -40);
    mock->addDevice("C0:FF:EE:00:00:03", "Mouse",
                    {QStringLiteral("0000180f-0000-1000-8000-00805f9b34fb")});
    mock->addVontalDevice(kLampAddress, "Lamp", "lamp-secret", "Hall");
    ASSERT_TRUE(waitUntil([&] { return recorder.count("discover") == 2; }));
    ASSERT_TRUE(drainPostedEvents());
    ASSERT_EQ(recorder.count("discover"), 2u);
    EXPECT_EQ(recorder.events.back().peripheral->identifier().toString(), kLampIdentifier);
    desk->setDelegate(&recorder);

    recorder.call([&] { central->connect(desk); });
    EXPECT_EQ(desk->state(), PeripheralState::Connecting);
    ASSERT_TRUE(waitUntil([&] { return recorder.count("connect") == 1; }));
    EXPECT_EQ(desk->state(), PeripheralState::Connected);
    EXPECT_FALSE(desk->services());

    recorder.call([&] { desk->discoverServices({PeripheralManager::serviceUUID}); });
    ASSERT_TRUE(waitUntil([&] { return recorder.count("services") == 1; }));
    ASSERT_TRUE(desk->services());
    ASSERT_EQ(desk->services()->size(), 1u);
    const ServiceRef service = desk->services()->front();
    EXPECT_FALSE(service->characteristics());
    recorder.call([&] {
        desk->discoverCharacteristics(
            {PeripheralManager::passwordCharUUID, PeripheralManager::characteristicUUID}, service);
    });
    ASSERT_TRUE(waitUntil([&] { return recorder.count("characteristics") == 1; }));
    // The filter holds: the device-name characteristic was not asked for.
    ASSERT_EQ(service->characteristics()->size(), 2u);
    const auto password = find(service, PeripheralManager::passwordCharUUID);
    const auto data = find(service, PeripheralManager::characteristicUUID);
    ASSERT_TRUE(password && data);

    // Two writes with response in flight, the first refused: each answer on its own
    // characteristic, in order.
    recorder.call([&] {
        desk->writeValue(bytesOf("nope"), password, WriteType::WithResponse);
        desk->writeValue({0x00}, data, WriteType::WithResponse);
    });
    ASSERT_TRUE(waitUntil([&] { return recorder.count("write") == 2; }));
    std::vector<Recorder::Event> writes;
    for (const auto& event : recorder.events)
        if (event.what == "write")
            writes.push_back(event);
    EXPECT_EQ(writes[0].characteristic, password);
    ASSERT_TRUE(writes[0].error);
    EXPECT_FALSE(writes[0].error->description.empty());
    EXPECT_EQ(writes[1].characteristic, data);
    EXPECT_FALSE(writes[1].error);

    // A write without response is never answered; a read is answered once, although bluetoothd
    // announces the value it read as a change too. The write with response after them is
    // answered after both, so by then any stray report would have come.
    recorder.call([&] {
        desk->writeValue(bytesOf("Editor"), data, WriteType::WithoutResponse);
        desk->readValue(data);
    });
    ASSERT_TRUE(waitUntil([&] { return recorder.count("value") == 1; }));
    EXPECT_EQ(data->value(), (std::optional<Bytes>{{0x00, 0x7F}}));
    recorder.call([&] { desk->writeValue({0x00}, data, WriteType::WithResponse); });
    ASSERT_TRUE(waitUntil([&] { return recorder.count("write") == 3; }));
    ASSERT_TRUE(drainPostedEvents());
    EXPECT_EQ(recorder.count("value"), 1u);
    const auto commands = only(mock->operations(), "WriteValue", kDeskAddress, kDataUuid);
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[1].type, "command");
    EXPECT_EQ(commands[1].value, bytesOf("Editor"));

    // Notifications are switched on through the client characteristic configuration.
    recorder.call([&] { desk->setNotifyValue(true, data); });
    ASSERT_TRUE(waitUntil([&] { return recorder.count("notify") == 1; }));
    EXPECT_FALSE(recorder.events.back().error);
    EXPECT_TRUE(data->isNotifying());

    EXPECT_TRUE(recorder.synchronous.empty())
        << "reported inside a call: " << recorder.synchronous.front();

    // Reports already queued, and answers still on their way, die with the central; its links
    // go with it.
    const std::size_t before = recorder.events.size();
    desk->setNotifyValue(true, password); // no configuration descriptor: refused at once
    desk->writeValue(bytesOf("hunter2"), password, WriteType::WithResponse);
    central.reset();
    ASSERT_TRUE(waitForOperations("Disconnect", kDeskAddress, "", 1));
    ASSERT_TRUE(drainPostedEvents());
    EXPECT_EQ(recorder.events.size(), before);
    EXPECT_EQ(desk->state(), PeripheralState::Disconnected);
}

TEST_F(BackendScenario, CancellingAConnectionReportsTheDisconnectionWithoutAnError) {
    mock = std::make_unique<BluezMock>();
    mock->addVontalDevice(kDeskAddress, "Desk", "hunter2", "Kitchen");
    stack = std::make_unique<QtBluetoothStack>(diagnostics);
    Recorder recorder;
    auto central = stack->makeCentral(recorder);
    ASSERT_TRUE(waitUntil([&] { return recorder.count("state") == 1; }));
    central->scanForPeripherals({});
    ASSERT_TRUE(waitUntil([&] { return recorder.count("discover") == 1; }));
    const PeripheralRef desk = recorder.events.back().peripheral;

    // Cancelled while connecting: one disconnection report, and the link never stays up.
    recorder.call([&] {
        central->connect(desk);
        central->cancelConnection(desk);
    });
    ASSERT_TRUE(waitUntil([&] { return recorder.count("disconnect") == 1; }));
    EXPECT_FALSE(recorder.events.back().error);
    EXPECT_EQ(desk->state(), PeripheralState::Disconnected);

    // Cancelled once up: the device hears the disconnection, and the report carries no error.
    central->connect(desk);
    ASSERT_TRUE(waitUntil([&] { return recorder.count("connect") == 1; }));
    recorder.call([&] { central->cancelConnection(desk); });
    EXPECT_EQ(desk->state(), PeripheralState::Disconnecting);
    ASSERT_TRUE(waitUntil([&] { return recorder.count("disconnect") == 2; }));
    EXPECT_FALSE(recorder.events.back().error);
    EXPECT_EQ(desk->state(), PeripheralState::Disconnected);

    // A link the device drops carries an error a person can read.
    central->connect(desk);
    ASSERT_TRUE(waitUntil([&] { return recorder.count("connect") == 2; }));
    mock->dropLink(kDeskAddress);
    ASSERT_TRUE(waitUntil([&] { return recorder.count("disconnect") == 3; }));
    ASSERT_TRUE(recorder.events.back().error);
    EXPECT_FALSE(recorder.events.back().error->description.empty());
    EXPECT_TRUE(recorder.synchronous.empty());
}

} // namespace
} // namespace vontal::test
