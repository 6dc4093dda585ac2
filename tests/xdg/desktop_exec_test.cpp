#include "platform/xdg/desktop_exec.h"

#include <gtest/gtest.h>

namespace vontal {
namespace {

TEST(DesktopExec, PlainPathsStayBareAndReservedCharactersForceQuotes) {
    EXPECT_EQ(quoteExecArgument("/usr/bin/vontalloginhelper"), "/usr/bin/vontalloginhelper");
    EXPECT_EQ(quoteExecArgument("/opt/My Apps/helper"), "\"/opt/My Apps/helper\"");
    EXPECT_EQ(quoteExecArgument(""), "\"\"");
    // Inside the quotes only ", `, $ and \ take a backslash.
    EXPECT_EQ(quoteExecArgument("/a\"b`c$d\\e'f"), "\"/a\\\"b\\`c\\$d\\\\e'f\"");
    for (const char c : std::string_view(" \t\n\"'\\><~|&;$*?#()`")) {
        const std::string quoted = quoteExecArgument(std::string("/x") + c + "y");
        EXPECT_EQ(quoted.front(), '"') << "character " << int(c);
        EXPECT_EQ(quoted.back(), '"') << "character " << int(c);
    }
}

TEST(DesktopExec, PercentIsDoubledWithOrWithoutQuotes) {
    EXPECT_EQ(quoteExecArgument("/opt/100%/helper"), "/opt/100%%/helper");
    EXPECT_EQ(quoteExecArgument("/opt/100 %/helper"), "\"/opt/100 %%/helper\"");
}

TEST(DesktopExec, QuotedArgumentsSplitBackToWhatWasQuoted) {
    const std::vector<std::string> arguments{"/usr/bin/vontalloginhelper",
                                             "/home/a user/My Apps/vontal helper",
                                             "/tmp/\"quoted\"/`tick`/$HOME/back\\slash/100%/%f",
                                             "",
                                             "tab\there",
                                             "new\nline",
                                             "/caf\u00e9/\u2014/\u00b7",
                                             "'single'",
                                             "~/(paren)|&;<>*?#"};
    std::string exec;
    for (const auto& argument : arguments)
        exec += (exec.empty() ? "" : " ") + quoteExecArgument(argument);
    EXPECT_EQ(splitExec(exec), arguments);
}

TEST(DesktopExec, BrokenQuotingIsRefused) {
    EXPECT_FALSE(splitExec("\"/unterminated/helper"));
    EXPECT_EQ(splitExec("helper --flag"), (std::vector<std::string>{"helper", "--flag"}));
}

} // namespace
} // namespace vontal
