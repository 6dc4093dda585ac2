#pragma once

#include "subscription.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace vontal {

// Why device passwords cannot go to the desktop's keyring.
struct VaultProblem {
    enum class Kind {
        Absent,     // no Secret Service on the session bus
        Locked,     // its collection is locked, and the user did not unlock it
        Unanswered, // it did not answer in time
        Refused,    // it answered with an error
    };
    Kind kind = Kind::Absent;
    // The service's own words, for Refused.
    std::string detail;
    friend bool operator==(const VaultProblem&, const VaultProblem&) = default;
};

// The desktop's keyring, holding one item per device: its password under the device's password
// key. Every call answers later, on the main thread, and never inside the call; an answer that
// would come after the vault is gone does not come.
class PasswordVault {
public:
    virtual ~PasswordVault() = default;

    using Passwords = std::map<std::string, std::string>; // password key -> password
    struct ReadAnswer {
        std::optional<VaultProblem> problem;
        Passwords passwords; // what could be read, when there is no problem
    };
    using Done = std::function<void(std::optional<VaultProblem> problem)>;

    // Told whether a keyring is there now: once soon after the call, then on every change.
    [[nodiscard]] virtual Subscription observePresence(std::function<void(bool present)> told) = 0;
    // Every password vontal keeps there (a locked collection may ask the user to unlock it).
    virtual void readAll(std::function<void(ReadAnswer)> done) = 0;
    // Stores or replaces the device's password, under a label the user recognises in the
    // keyring's manager.
    virtual void store(const std::string& key, const std::string& label,
                       const std::string& password, Done done) = 0;
    // Removes the device's password; one that is not there is no problem.
    virtual void remove(const std::string& key, Done done) = 0;
};

} // namespace vontal
