#include "platform/frontmost/activation_tracker.h"

namespace vontal {

void ActivationTracker::start(std::optional<std::string> frontIdentity) {
    front_ = std::move(frontIdentity);
}

bool ActivationTracker::windowFocused(const std::string& identity) {
    if (front_ == identity)
        return false;
    front_ = identity;
    return true;
}

bool ActivationTracker::focusCleared() {
    return front_.has_value();
}

void ActivationTracker::gapLasted() {
    front_.reset();
}

} // namespace vontal
