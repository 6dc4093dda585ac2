#pragma once

#include "platform/subscription.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vontal {

// A plain list of callbacks, each told of every fire. Observers may unsubscribe, or subscribe
// others, while the signal fires; an observer removed during a fire is not called afterwards.
// Subscriptions may outlive the signal.
template <typename... Args> class Signal {
public:
    using Observer = std::function<void(Args...)>;

    Signal() : state_(std::make_shared<State>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Subscription subscribe(Observer observer) {
        const std::uint64_t id = state_->nextId++;
        state_->observers.push_back({id, std::make_shared<Observer>(std::move(observer))});
        std::weak_ptr<State> weak = state_;
        return Subscription([weak, id] {
            if (auto state = weak.lock())
                std::erase_if(state->observers, [id](const Entry& e) { return e.id == id; });
        });
    }

    void fire(Args... args) {
        // Copy the list so observers may change it; skip the ones removed meanwhile.
        const auto snapshot = state_->observers;
        for (const Entry& entry : snapshot) {
            const bool stillThere = std::any_of(state_->observers.begin(), state_->observers.end(),
                                                [&](const Entry& e) { return e.id == entry.id; });
            if (stillThere)
                (*entry.callback)(args...);
        }
    }

    std::size_t observerCount() const { return state_->observers.size(); }

private:
    struct Entry {
        std::uint64_t id;
        std::shared_ptr<Observer> callback;
    };
    struct State {
        std::vector<Entry> observers;
        std::uint64_t nextId = 1;
    };
    std::shared_ptr<State> state_;
};

// Told before a published property changes (and, where the manager says so, by hand after a
// change).
using ChangeSignal = Signal<>;

} // namespace vontal
