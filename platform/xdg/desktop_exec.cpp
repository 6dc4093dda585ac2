#include "desktop_exec.h"

#include <glib.h>

namespace vontal {

namespace {

// Characters that force an argument into quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters that need a backslash inside the quotes.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

std::string doublePercent(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += c;
        if (c == '%')
            out += '%';
    }
    return out;
}

std::string undoublePercent(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
            ++i;
    }
    return out;
}

} // namespace

std::string quoteExecArgument(std::string_view argument) {
    const std::string escaped = doublePercent(argument);
    if (!escaped.empty() && escaped.find_first_of(kReserved) == std::string::npos)
        return escaped;
    std::string quoted = "\"";
    for (const char c : escaped) {
        if (kEscapedInQuotes.find(c) != std::string_view::npos)
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::optional<std::vector<std::string>> splitExec(const std::string& exec) {
    // Inside double quotes the Exec rules are the shell's; GLib's parser implements those.
    gint argc = 0;
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(exec.c_str(), &argc, &argv, nullptr))
        return std::nullopt;
    std::vector<std::string> arguments;
    for (gint i = 0; i < argc; ++i)
        arguments.push_back(undoublePercent(argv[i]));
    g_strfreev(argv);
    return arguments;
}

} // namespace vontal
