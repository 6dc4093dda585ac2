#include "memory_password_vault.h"

namespace vontal {

MemoryPasswordVault::MemoryPasswordVault(MainQueue& queue)
    : queue_(queue), alive_(std::make_shared<MemoryPasswordVault*>(this)) {}

MemoryPasswordVault::~MemoryPasswordVault() {
    alive_.reset();
}

void MemoryPasswordVault::setPresent(bool present) {
    if (present_ == present)
        return;
    present_ = present;
    std::weak_ptr<MemoryPasswordVault*> weak = alive_;
    queue_.async([weak] {
        if (auto self = weak.lock())
            (*self)->presence_.fire();
    });
}

void MemoryPasswordVault::holdAnswers(bool hold) {
    hold_ = hold;
    while (!hold_ && answerOne()) {
    }
}

bool MemoryPasswordVault::answerOne() {
    if (held_.empty())
        return false;
    auto next = std::move(held_.front());
    held_.pop_front();
    std::weak_ptr<MemoryPasswordVault*> weak = alive_;
    queue_.async([weak, next = std::move(next)] {
        if (weak.lock())
            next();
    });
    return true;
}

void MemoryPasswordVault::answer(std::function<void()> answer) {
    if (hold_) {
        held_.push_back(std::move(answer));
        return;
    }
    std::weak_ptr<MemoryPasswordVault*> weak = alive_;
    queue_.async([weak, answer = std::move(answer)] {
        if (weak.lock())
            answer();
    });
}

Subscription MemoryPasswordVault::observePresence(std::function<void(bool present)> told) {
    auto shared = std::make_shared<std::function<void(bool)>>(std::move(told));
    Subscription changes = presence_.subscribe([this, shared] { (*shared)(present_); });
    // The first word comes soon after, never inside the call.
    std::weak_ptr<MemoryPasswordVault*> weak = alive_;
    std::weak_ptr<std::function<void(bool)>> weakTold = shared;
    queue_.async([weak, weakTold] {
        auto self = weak.lock();
        auto told = weakTold.lock();
        if (self && told)
            (*told)((*self)->present_);
    });
    // The subscription keeps the callback alive; the first word is skipped once it is gone.
    auto holder = std::make_shared<Subscription>(std::move(changes));
    return Subscription([holder, shared]() mutable {
        holder->cancel();
        shared.reset();
    });
}

void MemoryPasswordVault::readAll(std::function<void(ReadAnswer)> done) {
    ++reads;
    answer([this, done = std::move(done)] {
        ReadAnswer result;
        if (!present_)
            result.problem = VaultProblem{VaultProblem::Kind::Absent, {}};
        else if (failure)
            result.problem = failure;
        else
            for (const auto& [key, item] : items)
                result.passwords[key] = item.password;
        done(std::move(result));
    });
}

void MemoryPasswordVault::store(const std::string& key, const std::string& label,
                                const std::string& password, Done done) {
    ++stores;
    answer([this, key, label, password, done = std::move(done)] {
        if (!present_)
            return done(VaultProblem{VaultProblem::Kind::Absent, {}});
        if (failure)
            return done(failure);
        items[key] = {label, password};
        done(std::nullopt);
    });
}

void MemoryPasswordVault::remove(const std::string& key, Done done) {
    ++removals;
    answer([this, key, done = std::move(done)] {
        if (!present_)
            return done(VaultProblem{VaultProblem::Kind::Absent, {}});
        if (failure)
            return done(failure);
        items.erase(key);
        done(std::nullopt);
    });
}

} // namespace vontal
