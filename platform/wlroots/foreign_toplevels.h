#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vontal {

// The toplevel windows of a wlroots compositor as its foreign-toplevel manager describes them, on
// a Wayland connection of our own (the program's windows may be on another display, Xwayland or
// none). Standard C++ and libwayland only: the caller decides when the connection's descriptor is
// read.
class ForeignToplevels {
public:
    // Connects to `displayName` (WAYLAND_DISPLAY when null), binds the manager at the highest
    // version both sides know, and returns once the compositor has described every toplevel. On
    // failure returns null and says why in `whyNot`.
    static std::unique_ptr<ForeignToplevels> connect(const char* displayName, std::string& whyNot);
    ~ForeignToplevels();
    ForeignToplevels(const ForeignToplevels&) = delete;
    ForeignToplevels& operator=(const ForeignToplevels&) = delete;

    // The descriptor to wait on; everything we send has been flushed whenever we return to the
    // caller's loop.
    int descriptor() const;

    // Reads what has arrived, without blocking, and applies it. False once the connection is gone
    // or the compositor has stopped describing toplevels.
    bool readAvailable();

    // The app_id of the toplevel that has the focus (the one activated last if the compositor
    // reports several, one per seat); nullopt when none has. An absent app_id is empty.
    std::optional<std::string> activatedAppId() const;

    // The app_id in front (as activatedAppId() tells it) after each completed change since the
    // last call, in order: a switch the compositor makes in two steps (the old window loses the
    // focus, then the new one gets it) shows as two, even when both arrive in one read.
    std::vector<std::optional<std::string>> takeFrontChanges();

    std::uint32_t version() const;

private:
    struct Impl;
    explicit ForeignToplevels(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace vontal
