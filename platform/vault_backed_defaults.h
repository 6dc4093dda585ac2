#pragma once

#include "password_vault.h"
#include "platform/change_signal.h"
#include "timers.h"
#include "user_defaults.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vontal {

class Diagnostics;

// The user defaults with device passwords in the desktop's keyring: every other key, and the
// passwords whenever no keyring takes them, stay in the settings file underneath.
//
// Nothing here waits. Until the keyring first answers, reads of passwords come from the file and
// a password the file lacks "may still arrive"; writes go to the file. Once the keyring has
// answered, its passwords are held in memory (so reads never ask it), new passwords are written
// through to it, and the file's passwords move in: each leaves the file only after the keyring
// confirmed its copy, so an interrupted move loses nothing. Where both hold a password from an
// earlier run, the keyring's counts. Without a keyring (none on the bus, locked, silent, refusing)
// the file serves, that is said once, and the passwords move in when a keyring turns up.
class VaultBackedDefaults final : public UserDefaults {
public:
    // How long the keyring has to answer before the file is used.
    static constexpr std::chrono::seconds kAnswerTime{5};

    VaultBackedDefaults(UserDefaults& file, PasswordVault& vault, Timers& timers,
                        Diagnostics& diagnostics);
    ~VaultBackedDefaults() override;
    VaultBackedDefaults(const VaultBackedDefaults&) = delete;
    VaultBackedDefaults& operator=(const VaultBackedDefaults&) = delete;

    // The name of the device a password key belongs to, as the user knows it, for the keyring
    // item's label; without it (or when it says nothing) the key itself stands there.
    void setDeviceNameSource(std::function<std::string(const std::string& key)> source);

    std::optional<DefaultsValue> valueForKey(const std::string& key) const override;
    void setValue(const std::string& key, const DefaultsValue& value) override;
    void removeObjectForKey(const std::string& key) override;
    std::vector<std::string> keys() const override;
    bool mayStillArrive(const std::string& key) const override;
    Subscription observeArrivals(std::function<void()> arrived) override;

    // Why passwords are kept in the settings file; nothing while the keyring keeps them or has
    // not answered yet.
    const std::optional<VaultProblem>& fileFallback() const { return fallback_; }
    // Told after fileFallback() changed.
    ChangeSignal& storageChanged() { return storageChanged_; }

    // The label of a device's keyring item.
    static std::string labelFor(const std::string& deviceName);

private:
    enum class State { Waiting, InKeyring, InFile };

    static bool isPasswordKey(const std::string& key);
    void presenceChanged(bool present);
    void answerTimeOver();
    void startRead();
    void readAnswered(std::uint64_t read, PasswordVault::ReadAnswer answer);
    void moveIn();
    void fallBack(const VaultProblem& problem);
    // Keyring writes go one at a time, in order: a removal never overtakes the store before it.
    void enqueue(std::function<void(PasswordVault::Done)> start, PasswordVault::Done finished,
                 std::function<void()> silent = {});
    void operationSilent();
    // A keyring given up on for its silence answered after all: it takes the passwords again.
    void answeredAfterSilence();
    void runNext();
    void storeTyped(const std::string& key, const std::string& password);
    void storeMoved(const std::string& key, const std::string& password);
    void moveAnswered(const std::string& key, const std::string& password,
                      const std::optional<VaultProblem>& problem);
    std::string labelForKey(const std::string& key) const;

    UserDefaults& file_;
    PasswordVault& vault_;
    Timers& timers_;
    Diagnostics& diagnostics_;
    std::function<std::string(const std::string&)> deviceNames_;

    State state_ = State::Waiting;
    std::optional<VaultProblem> fallback_;
    // The keyring's passwords, as last read and written through since.
    PasswordVault::Passwords cached_;
    // Devices whose passwords the user had forgotten: a keyring read later brings none of them.
    std::set<std::string> forgotten_;
    // Passwords written to the file in this run while no keyring took them: newer than the
    // keyring's copy.
    std::set<std::string> writtenToFile_;
    std::uint64_t reads_ = 0;
    bool reading_ = false;
    std::optional<Subscription> answerTimer_;
    struct Operation {
        std::function<void(PasswordVault::Done)> start;
        PasswordVault::Done finished;
        // Runs when the keyring has not answered in time (an unlock prompt nobody answers).
        std::function<void()> silent;
    };
    std::deque<Operation> operations_;
    bool operationRunning_ = false;
    std::optional<Subscription> operationTimer_;
    // Passwords on their way from the file to the keyring.
    std::set<std::string> moving_;
    int moved_ = 0;

    ChangeSignal arrivals_;
    ChangeSignal storageChanged_;
    std::shared_ptr<VaultBackedDefaults*> alive_;
    Subscription presence_;
};

} // namespace vontal
