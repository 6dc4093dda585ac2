// Log lines stay short and few: a long text from outside is cut, and lines of a cycle that goes
// round many times a second are counted rather than said each time.

#include "platform/cycling_lines.h"
#include "platform/diagnostics.h"
#include "platform/log_line.h"
#include "tests/support/sim/recording_diagnostics.h"
#include "tests/support/sim/virtual_clock.h"

#include <gtest/gtest.h>
#include <string>

namespace vontal {
namespace {

using namespace std::chrono_literals;

const std::string kEllipsis = "\xe2\x80\xa6";

// Characters of valid UTF-8; -1 when the text is not valid UTF-8.
long characters(const std::string& text) {
    long count = 0;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead >= 0x80 && lead < 0xC2) || at + length > text.size())
            return -1;
        for (std::size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
                return -1;
        at += length;
        ++count;
    }
    return count;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(LogLines, LongTextsFromOutsideAreCutAtAWholeCharacterAndEndInAnEllipsis) {
    // BlueZ's reason for refusing to switch the adapter on: a line break, an override, 10 KB.
    const std::string refusal = "BlueZ did not switch the Bluetooth adapter on (Not\nReady "
                                "\xe2\x80\xae" +
                                std::string(10'000, 'x') + ")";
    const std::string cut = logLine(refusal);
    EXPECT_EQ(characters(cut), 1000);
    EXPECT_TRUE(endsWith(cut, kEllipsis));
    EXPECT_EQ(
        cut.rfind("BlueZ did not switch the Bluetooth adapter on (Not\\x0aReady \\u202exxx", 0),
        0u);

    // A device name of 60,000 bytes in three-byte characters: never cut inside one.
    const std::string name = "Custom device name from peripheral: ";
    std::string wide;
    for (int i = 0; i < 20'000; ++i)
        wide += "\xe6\xa1\x8c";
    const std::string cutName = logLine(name + wide);
    EXPECT_EQ(characters(cutName), 1000);
    EXPECT_EQ(cutName, name + wide.substr(0, 3 * (999 - name.size())) + kEllipsis);

    // An escape is kept whole or left out whole.
    EXPECT_EQ(logLine(std::string(997, 'a') + "\x1b" + std::string(10, 'b')),
              std::string(997, 'a') + kEllipsis);
    EXPECT_EQ(logLine(std::string(994, 'a') + "\xe2\x80\xae" + std::string(10, 'b')),
              std::string(994, 'a') + kEllipsis);
    EXPECT_EQ(logLine(std::string(993, 'a') + "\xe2\x80\xae" + std::string(10, 'b')),
              std::string(993, 'a') + "\\u202e" + kEllipsis);
    EXPECT_EQ(logLine(std::string(993, 'a') + "\x1b" + std::string(10, 'b')),
              std::string(993, 'a') + "\\x1b" + std::string(2, 'b') + kEllipsis);

    // Up to the bound a line is kept whole; one character more and it is cut.
    EXPECT_EQ(logLine(std::string(1000, 'a')), std::string(1000, 'a'));
    EXPECT_EQ(logLine(std::string(1001, 'a')), std::string(999, 'a') + kEllipsis);
    EXPECT_EQ(logLine(std::string(995, 'a') + "\x07"), std::string(995, 'a') + "\\x07");

    // And that is what standard output gets, one line per event.
    StdoutDiagnostics diagnostics;
    testing::internal::CaptureStdout();
    diagnostics.line(refusal);
    diagnostics.line(name + wide);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), cut + "\n" + cutName + "\n");
}

const std::string kGone = "Central state: 2";
const std::string kBack = "Bluetooth powered ON \xe2\x80\x94 restarting scan and reconnect";

class CyclingLinesTest : public testing::Test {
protected:
    VirtualClock clock;
    RecordingDiagnostics out;
    CyclingLines lines{out, clock, [this] { return clock.now(); }, {bluetoothStateCycle()}};

    // bluetoothd goes and comes back `times` times, one change every 100 ms.
    void churn(int times) {
        for (int i = 0; i < times; ++i) {
            lines.line(kGone);
            clock.advance(100ms);
            lines.line(kBack);
            clock.advance(100ms);
        }
    }
};

TEST_F(CyclingLinesTest, AChurningBluetoothdGivesAFewLinesAndTheLogEndsOnHowThingsStand) {
    // The first changes are said at once, as they come; other lines are not held up.
    lines.line(kGone);
    lines.line(kBack);
    lines.line("Password accepted \xe2\x80\x93 proceeding with data characteristic");
    EXPECT_EQ(
        out.takeLines(),
        (std::vector<std::string>{
            kGone, kBack, "Password accepted \xe2\x80\x93 proceeding with data characteristic"}));

    // 20 s of bluetoothd coming and going: two more lines of each, then silence about it.
    churn(100);
    lines.line("Names to Desk are cut to 20 bytes (link MTU 23)");
    lines.line(kGone);
    EXPECT_EQ(out.takeLines(),
              (std::vector<std::string>{kGone, kBack,
                                        "Names to Desk are cut to 20 bytes (link MTU 23)"}));
    // It settles with bluetoothd gone: the count, then where things stand.
    clock.advance(4900ms);
    EXPECT_TRUE(out.lines().empty());
    clock.advance(100ms);
    EXPECT_EQ(out.takeLines(),
              (std::vector<std::string>{
                  "Bluetooth state changed 199 more times in 20 s (bluetoothd or the adapter kept "
                  "coming and going); the repeated lines were left out",
                  kGone}));
    clock.advance(10min);
    EXPECT_TRUE(out.lines().empty());

    // Settled, a change is said at once again, and a short churn gives its own count.
    lines.line(kBack);
    EXPECT_EQ(out.takeLines(), std::vector<std::string>{kBack});
    churn(3);
    clock.advance(5s);
    EXPECT_EQ(out.takeLines(),
              (std::vector<std::string>{kGone, kBack, kGone,
                                        "Bluetooth state changed 3 more times in 1 s (bluetoothd "
                                        "or the adapter kept coming and going); the repeated "
                                        "lines were left out",
                                        kBack}));
}

TEST_F(CyclingLinesTest, AChurnThatGoesOnIsCountedOnceAMinuteAndNothingIsLost) {
    // Three minutes of churn, one change every 100 ms: 1800 changes.
    churn(900);
    std::vector<std::string> said = out.takeLines();
    clock.advance(5s);
    for (std::string& line : out.takeLines())
        said.push_back(line);
    // Four changes said, then one count a minute.
    ASSERT_EQ(said.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(said.begin(), said.begin() + 4),
              (std::vector<std::string>{kGone, kBack, kGone, kBack}));
    std::size_t counted = 0;
    for (std::size_t i = 4; i < said.size(); ++i) {
        const std::string& line = said[i];
        ASSERT_EQ(line.rfind("Bluetooth state changed ", 0), 0u) << line;
        counted += std::stoul(line.substr(std::string("Bluetooth state changed ").size()));
        EXPECT_NE(line.find(" more times in 60 s ("), std::string::npos) << line;
    }
    EXPECT_EQ(counted + 4, 1800u);
}

TEST_F(CyclingLinesTest, CountsComeBeforeTheLineThatEndsThemAndNoneIsLostAtTheEnd) {
    const std::string silent = "bluetoothd does not answer (no reply from org.bluez within 2 s); "
                               "vontal asks again every few seconds and uses it once it answers";
    const std::string answers = "bluetoothd answers again";
    const std::string off = "Bluetooth powered OFF \xe2\x80\x94 clearing state";
    const std::string count = "Bluetooth state changed 2 more times in 1 s (bluetoothd or the "
                              "adapter kept coming and going); the repeated lines were left out";
    {
        CyclingLines ending{out, clock, [this] { return clock.now(); }, {bluetoothStateCycle()}};
        for (const std::string* line :
             {&silent, &answers, &silent, &answers, &silent, &answers, &off, &off, &off, &silent})
            ending.line(*line);
        EXPECT_EQ(out.takeLines(),
                  (std::vector<std::string>{silent, answers, silent, answers, count, off, off}));
    }
    // The program ends before the cycle settles: what was held back is told all the same.
    EXPECT_EQ(out.takeLines(), (std::vector<std::string>{count, silent}));
}

} // namespace
} // namespace vontal
