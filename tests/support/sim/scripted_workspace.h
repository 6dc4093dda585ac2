#pragma once

#include "platform/workspace.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vontal {

// Application activations posted by the test, delivered at once to the observers registered at
// that moment (observers may come and go while one is delivered).
class ScriptedWorkspace final : public Workspace {
public:
    ScriptedWorkspace();
    ~ScriptedWorkspace() override;

    [[nodiscard]] Subscription
    observeActivations(std::function<void(const Notification&)> observer) override;

    // Delivers the notification; an activation's application becomes the one in front.
    void post(const Notification& notification);
    // The usual case: the application with this name came to the front.
    void activate(std::optional<std::string> localizedName) {
        post(Notification::activation(std::move(localizedName)));
    }

    std::shared_ptr<RunningApplication> frontmostApplication() const override;
    // Sets the application in front without an activation (as at start, or after a gap: null).
    void setFrontmost(std::optional<std::string> localizedName);

    std::size_t observerCount() const;

private:
    struct Entry {
        std::uint64_t id;
        std::shared_ptr<std::function<void(const Notification&)>> observer;
    };
    struct State {
        std::vector<Entry> observers;
        std::uint64_t nextId = 1;
        std::shared_ptr<RunningApplication> frontmost;
    };
    std::shared_ptr<State> state_;
};

} // namespace vontal
