// The main job on a real desktop: each program brought to the front reaches the connected device
// as its localized name, in UTF-8, in one write without response.

#include "tests/support/bluez/qt_wait.h"
#include "vontal_desktop.h"

#include <algorithm>

namespace vontal::e2e {
namespace {

using namespace std::string_literals;
using namespace std::chrono_literals;

std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> result;
    for (const int value : values)
        result.push_back(static_cast<std::uint8_t>(value));
    return result;
}

TEST_F(VontalDesktop, EachActivatedProgramReachesAStoredPasswordDeviceAsItsLocalizedName) {
    addProgramEntries();
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});

    const xcb_window_t xterm = launch({"xterm"});
    const xcb_window_t charmap = launch({"gucharmap"});
    const xcb_window_t cafe = launch({"xterm", "-class", "CafeUnicode"});
    const xcb_window_t tram = launch({"xterm", "-class", "Tram"});
    const xcb_window_t start = session_->createWindow({"start\0Start\0"s, {}, {}, {}});
    ASSERT_TRUE(xterm && charmap && cafe && tram && start);

    startVontal();
    ASSERT_NE(vontalWindow(), 0u);
    // Unlocked with the stored password, without a prompt.
    ASSERT_TRUE(waitForPaired(kDeskAddress));

    // Whatever vontal sent for its own window, when it appeared, comes before this name.
    ASSERT_TRUE(activate(start));
    ASSERT_TRUE(test::waitUntil([&] {
        const auto names = namesReceived(kDeskAddress);
        return std::find(names.begin(), names.end(), "Startfenster") != names.end();
    }));
    expectOneNamePerSwitch(
        kDeskAddress,
        {
            {[&] { return activate(xterm); }, "XTerm"},
            {[&] { return activate(charmap); }, "Zeichentabelle"},
            {[&] { return activate(cafe); }, "Caf\u00e9 \u00dcn\u00efc\u00f8d\u00e9"},
            {[&] { return activate(tram); }, "\u6771\u4eac \U0001F68B Stra\u00dfenbahn"},
            {[&] { return activate(xterm); }, "XTerm"},
            {[&] { return activate(cafe); }, "Caf\u00e9 \u00dcn\u00efc\u00f8d\u00e9"},
            {[&] { return activate(start); }, "Startfenster"},
        });
    if (HasFatalFailure())
        return;

    const auto operations = mock_->operations();
    const auto dataWrites = test::only(operations, "WriteValue", kDeskAddress, kDataUuid);
    // The bytes are the name's UTF-8 and nothing else: no length, no terminator.
    const auto cafeWrite =
        std::find_if(dataWrites.begin(), dataWrites.end(), [](const test::MockOperation& write) {
            return write.value.size() > 3 && write.value[0] == 'C' && write.value[3] == 0xC3;
        });
    ASSERT_NE(cafeWrite, dataWrites.end());
    EXPECT_EQ(cafeWrite->value, bytes({0x43, 0x61, 0x66, 0xC3, 0xA9, 0x20, 0xC3, 0x9C, 0x6E, 0xC3,
                                       0xAF, 0x63, 0xC3, 0xB8, 0x64, 0xC3, 0xA9}));
    // Every write to the data characteristic goes without response, but the pairing byte.
    const auto requests =
        std::count_if(dataWrites.begin(), dataWrites.end(),
                      [](const test::MockOperation& write) { return write.type == "request"; });
    EXPECT_EQ(requests, 1);
    const auto passwordWrites = test::only(operations, "WriteValue", kDeskAddress, kPasswordUuid);
    ASSERT_EQ(passwordWrites.size(), 1u);
    EXPECT_EQ(passwordWrites[0].value, test::bytesOf("sesame"));
    EXPECT_EQ(passwordWrites[0].type, "request");

    const auto lines = vontalLines();
    const auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("Bluetooth powered ON \u2014 restarting scan and reconnect"));
    EXPECT_TRUE(has("Password accepted \u2013 proceeding with data characteristic"));
    EXPECT_TRUE(has("Custom device name from peripheral: Schreibtisch"));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.starts_with("Application activations are not");
                            }),
              0);

    // The password stays, and the device's own name is remembered beside it (names are
    // gathered for a moment before they are saved).
    const auto storedName = [&] {
        return readSettings()
            .value(QStringLiteral("vontal.deviceNames"))
            .toObject()
            .value(QString::fromStdString(kDeskIdentifier))
            .toString();
    };
    EXPECT_TRUE(test::waitUntil([&] { return storedName() == QStringLiteral("Schreibtisch"); }))
        << storedName().toStdString();
    EXPECT_EQ(readSettings().value(QString::fromStdString(kDeskIdentifier)).toString(),
              QStringLiteral("sesame"));
}

} // namespace
} // namespace vontal::e2e
