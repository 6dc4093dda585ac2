#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace vontal {

// Decides which changes of the focused window are activations: the front application changed.
// Another window or a dialog of the front application is none. Focus on no window is a gap only
// once it has lasted kGapDuration (window managers clear the focus for an instant on most
// switches); after a real gap the next application is an activation even if it is the same one.
class ActivationTracker {
public:
    static constexpr std::chrono::milliseconds kGapDuration{100};

    // The application in front when watching starts; not an activation.
    void start(std::optional<std::string> frontIdentity);

    // A window of this application got the focus. True if that is an activation. Any pending gap
    // is over.
    bool windowFocused(const std::string& identity);

    // No window has the focus. True if a gap starts now: the caller then calls gapLasted() once
    // kGapDuration has passed without another focused window.
    bool focusCleared();

    void gapLasted();

    // The application in front, nullopt during a real gap.
    const std::optional<std::string>& front() const { return front_; }

private:
    std::optional<std::string> front_;
};

} // namespace vontal
