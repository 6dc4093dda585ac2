#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vontal {

using WindowId = std::uint32_t;

// What a top-level window says about the program behind it. Texts are UTF-8; an absent or empty
// property is nullopt.
struct WindowFacts {
    std::optional<std::string> instanceName; // WM_CLASS, first part
    std::optional<std::string> className;    // WM_CLASS, second part
    std::optional<WindowId> transientFor;    // WM_TRANSIENT_FOR
    std::optional<std::string> gtkApplicationId;
    std::optional<std::string> kdeDesktopFile;
    std::optional<std::uint32_t> pid;         // _NET_WM_PID
    std::optional<std::string> clientMachine; // WM_CLIENT_MACHINE: the host the pid belongs to
    std::optional<WindowId> clientLeader;     // WM_CLIENT_LEADER
};

// ICCCM text properties of type STRING (WM_CLASS, WM_CLIENT_MACHINE) are ISO 8859-1; desktop
// entries and every name we hand on are UTF-8.
std::string latin1ToUtf8(std::string_view latin1);

// Reads the facts of a window; nullopt when the window no longer exists.
class WindowInspector {
public:
    virtual ~WindowInspector() = default;
    virtual std::optional<WindowFacts> facts(WindowId window) = 0;
};

} // namespace vontal
