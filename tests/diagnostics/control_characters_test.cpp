// Hostile names in log lines and on screen.

#include "platform/control_characters.h"
#include "platform/diagnostics.h"

#include <gtest/gtest.h>
#include <string>

namespace vontal {
namespace {

struct Hostile {
    std::string name;   // as a device or application hands it over
    std::string logged; // what the log line shows
    std::string shown;  // what a row or dialog shows
};

const Hostile kHostile[] = {
    // A title change, a colour, and a forged second log line.
    {"\x1b]0;pwned\x07\x1b[31mDesk\r\nPassword accepted \xe2\x80\x93 proceeding",
     "\\x1b]0;pwned\\x07\\x1b[31mDesk\\x0d\\x0aPassword accepted \xe2\x80\x93 proceeding",
     "\xe2\x90\x9b]0;pwned\xe2\x90\x87\xe2\x90\x9b[31mDesk\xe2\x90\x8d\xe2\x90\x8aPassword "
     "accepted \xe2\x80\x93 proceeding"},
    // Tab, NUL and DEL.
    {std::string("a\tb\0c\x7f", 6), "a\\x09b\\x00c\\x7f",
     "a\xe2\x90\x89"
     "b\xe2\x90\x80"
     "c\xe2\x90\xa1"},
    // C1 CSI as a code point, and as a lone byte (invalid UTF-8) that an 8-bit terminal obeys.
    {"x\xc2\x9b"
     "2Jy\x9b"
     "2J",
     "x\\u009b2Jy\\x9b2J",
     "x\xef\xbf\xbd"
     "2Jy\xef\xbf\xbd"
     "2J"},
    // A right-to-left override that turns "exe.txt" round, a first-strong isolate, and a line
    // separator.
    {"invoice\xe2\x80\xaetxt.exe\xe2\x81\xa8x\xe2\x80\xa8y",
     "invoice\\u202etxt.exe\\u2068x\\u2028y",
     "invoice\xef\xbf\xbdtxt.exe\xef\xbf\xbdx\xef\xbf\xbdy"},
    // Truncated and overlong sequences, and an encoded surrogate: each byte on its own.
    {"\xe2\x80 \xc0\xaf \xed\xa0\x80", "\\xe2\\x80 \\xc0\\xaf \\xed\\xa0\\x80",
     "\xef\xbf\xbd\xef\xbf\xbd \xef\xbf\xbd\xef\xbf\xbd \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
    // Left-to-right, right-to-left and Arabic letter marks: harmless in a log line, but on screen
    // they would move the text around them unseen.
    {"a\xe2\x80\x8e"
     "b\xe2\x80\x8f"
     "c\xd8\x9c"
     "d",
     "a\xe2\x80\x8e"
     "b\xe2\x80\x8f"
     "c\xd8\x9c"
     "d",
     "a\xef\xbf\xbd"
     "b\xef\xbf\xbd"
     "c\xef\xbf\xbd"
     "d"},
};

TEST(ControlCharacters, HostileNamesAreEscapedInLogsAndVisibleOnScreen) {
    for (const Hostile& hostile : kHostile) {
        EXPECT_EQ(escapeControlCharacters(hostile.name), hostile.logged);
        EXPECT_EQ(showControlCharacters(hostile.name), hostile.shown);
    }
}

TEST(ControlCharacters, OrdinaryTextIsKeptByteForByte) {
    // Accents, dashes, CJK, an emoji, Hebrew and Arabic letters, backslashes.
    const std::string ordinary = "Caf\xc3\xa9 \xe2\x80\x94 \xe6\xa1\x8c "
                                 "\xf0\x9f\x8e\xb9 \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d "
                                 "\xd8\xb3\xd9\x84\xd8\xa7\xd9\x85 C:\\x1b <b>";
    EXPECT_EQ(escapeControlCharacters(ordinary), ordinary);
    EXPECT_EQ(showControlCharacters(ordinary), ordinary);
    EXPECT_EQ(escapeControlCharacters(""), "");
}

TEST(ControlCharacters, StandardOutputWritesEachEventOnOneEscapedLine) {
    StdoutDiagnostics diagnostics;
    testing::internal::CaptureStdout();
    diagnostics.line("Custom device name from peripheral: " + kHostile[0].name);
    diagnostics.line("Bluetooth powered ON \xe2\x80\x94 restarting scan and reconnect");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Custom device name from peripheral: " + kHostile[0].logged +
                  "\nBluetooth powered ON \xe2\x80\x94 restarting scan and reconnect\n");
}

} // namespace
} // namespace vontal
