#pragma once

#include "platform/change_signal.h"
#include "platform/main_queue.h"
#include "platform/password_vault.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace vontal {

// A keyring kept in memory, answering on the main queue. Tests script it: whether it is there,
// what it answers, and whether it answers at all.
class MemoryPasswordVault final : public PasswordVault {
public:
    explicit MemoryPasswordVault(MainQueue& queue);
    ~MemoryPasswordVault() override;

    struct Item {
        std::string label;
        std::string password;
    };
    // By password key.
    std::map<std::string, Item> items;

    // Whether a keyring is there; a change is told on the main queue.
    void setPresent(bool present);
    // A problem every later call answers with, until cleared.
    std::optional<VaultProblem> failure;
    // While held, answers wait (a keyring that hangs, or a prompt the user has not answered).
    void holdAnswers(bool hold);
    // Answers the oldest held call; false when none is held.
    bool answerOne();
    std::size_t heldAnswers() const { return held_.size(); }
    // The held calls never reached the keyring: they are neither done nor answered.
    void dropHeld() { held_.clear(); }
    int reads = 0, stores = 0, removals = 0;

    Subscription observePresence(std::function<void(bool present)> told) override;
    void readAll(std::function<void(ReadAnswer)> done) override;
    void store(const std::string& key, const std::string& label, const std::string& password,
               Done done) override;
    void remove(const std::string& key, Done done) override;

private:
    // Queues an answer, or holds it; `answer` runs when the call is answered.
    void answer(std::function<void()> answer);

    MainQueue& queue_;
    bool present_ = true;
    bool hold_ = false;
    std::deque<std::function<void()>> held_;
    ChangeSignal presence_;
    std::shared_ptr<MemoryPasswordVault*> alive_;
};

} // namespace vontal
