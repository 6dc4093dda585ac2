#pragma once

#include "platform/workspace.h"

#include <string>
#include <utility>

namespace vontal {

// A desktop whose activations we cannot observe: observers are accepted and never called.
// It keeps the desktop's name, so vontal's window can say where names are not sent.
class SilentWorkspace final : public Workspace {
public:
    explicit SilentWorkspace(std::string desktop = {}) : desktop_(std::move(desktop)) {}
    // What the user calls this desktop; empty when unknown.
    const std::string& desktop() const { return desktop_; }

    [[nodiscard]] Subscription
    observeActivations(std::function<void(const Notification&)>) override {
        return Subscription([] {});
    }
    std::shared_ptr<RunningApplication> frontmostApplication() const override { return nullptr; }

private:
    std::string desktop_;
};

} // namespace vontal
