#pragma once

#include "platform/workspace.h"

namespace vontal {

// A desktop whose activations we cannot observe: observers are accepted and never called.
class SilentWorkspace final : public Workspace {
public:
    [[nodiscard]] Subscription
    observeActivations(std::function<void(const Notification&)>) override {
        return Subscription([] {});
    }
    std::shared_ptr<RunningApplication> frontmostApplication() const override { return nullptr; }
};

} // namespace vontal
