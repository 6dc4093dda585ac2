#include "tests/support/sim/scripted_workspace.h"

#include <algorithm>

namespace vontal {

ScriptedWorkspace::ScriptedWorkspace() : state_(std::make_shared<State>()) {}

ScriptedWorkspace::~ScriptedWorkspace() = default;

Subscription
ScriptedWorkspace::observeActivations(std::function<void(const Notification&)> observer) {
    const std::uint64_t id = state_->nextId++;
    state_->observers.push_back(
        {id, std::make_shared<std::function<void(const Notification&)>>(std::move(observer))});
    std::weak_ptr<State> weak = state_;
    return Subscription([weak, id] {
        if (auto state = weak.lock())
            std::erase_if(state->observers, [id](const Entry& entry) { return entry.id == id; });
    });
}

void ScriptedWorkspace::post(const Notification& notification) {
    if (notification.userInfo) {
        const auto entry = notification.userInfo->find(kWorkspaceApplicationKey);
        if (entry != notification.userInfo->end()) {
            if (const auto* app = std::get_if<std::shared_ptr<RunningApplication>>(&entry->second))
                state_->frontmost = *app;
        }
    }
    const auto snapshot = state_->observers;
    for (const Entry& entry : snapshot) {
        const bool stillThere =
            std::any_of(state_->observers.begin(), state_->observers.end(),
                        [&](const Entry& observer) { return observer.id == entry.id; });
        if (stillThere)
            (*entry.observer)(notification);
    }
}

std::shared_ptr<RunningApplication> ScriptedWorkspace::frontmostApplication() const {
    return state_->frontmost;
}

void ScriptedWorkspace::setFrontmost(std::optional<std::string> localizedName) {
    state_->frontmost =
        localizedName ? RunningApplication::named(std::move(localizedName)) : nullptr;
}

std::size_t ScriptedWorkspace::observerCount() const {
    return state_->observers.size();
}

} // namespace vontal
