#include "vault_backed_defaults.h"

#include "diagnostics.h"

#include <utility>

namespace vontal {

namespace {

std::string describeProblem(const VaultProblem& problem) {
    switch (problem.kind) {
    case VaultProblem::Kind::Absent:
        return "no Secret Service (keyring) on the session bus";
    case VaultProblem::Kind::Locked:
        return "the keyring is locked";
    case VaultProblem::Kind::Unanswered:
        return "the keyring did not answer within " +
               std::to_string(VaultBackedDefaults::kAnswerTime.count()) + " s";
    case VaultProblem::Kind::Refused:
        break;
    }
    return "the keyring refused them (" + problem.detail + ")";
}

} // namespace

VaultBackedDefaults::VaultBackedDefaults(UserDefaults& file, PasswordVault& vault, Timers& timers,
                                         Diagnostics& diagnostics)
    : file_(file), vault_(vault), timers_(timers), diagnostics_(diagnostics),
      alive_(std::make_shared<VaultBackedDefaults*>(this)) {
    std::weak_ptr<VaultBackedDefaults*> weak = alive_;
    // The start never waits for the keyring: the file serves until it answers, and a keyring
    // that stays silent is given up on.
    answerTimer_ = timers_.singleShot(kAnswerTime, [weak] {
        if (auto self = weak.lock())
            (*self)->answerTimeOver();
    });
    presence_ = vault_.observePresence([weak](bool present) {
        if (auto self = weak.lock())
            (*self)->presenceChanged(present);
    });
}

VaultBackedDefaults::~VaultBackedDefaults() {
    alive_.reset();
    presence_.cancel();
}

void VaultBackedDefaults::setDeviceNameSource(
    std::function<std::string(const std::string& key)> source) {
    deviceNames_ = std::move(source);
}

std::string VaultBackedDefaults::labelFor(const std::string& deviceName) {
    return "vontal: password for " + deviceName;
}

bool VaultBackedDefaults::isPasswordKey(const std::string& key) {
    // An identifier's upper-case text: 8-4-4-4-12 hexadecimal digits.
    if (key.size() != 36)
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = key[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != '-')
                return false;
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

std::optional<DefaultsValue> VaultBackedDefaults::valueForKey(const std::string& key) const {
    if (isPasswordKey(key)) {
        const auto cached = cached_.find(key);
        if (cached != cached_.end())
            return cached->second;
    }
    return file_.valueForKey(key);
}

std::vector<std::string> VaultBackedDefaults::keys() const {
    std::vector<std::string> all = file_.keys();
    for (const auto& entry : cached_)
        if (!file_.valueForKey(entry.first))
            all.push_back(entry.first);
    return all;
}

void VaultBackedDefaults::setValue(const std::string& key, const DefaultsValue& value) {
    const auto* password = std::get_if<std::string>(&value);
    if (!isPasswordKey(key) || !password) {
        file_.setValue(key, value);
        return;
    }
    forgotten_.erase(key);
    if (state_ == State::InKeyring) {
        cached_[key] = *password;
        storeTyped(key, *password);
        return;
    }
    // No keyring takes it now: the file keeps it until one does.
    cached_.erase(key);
    file_.setValue(key, *password);
    writtenToFile_.insert(key);
}

void VaultBackedDefaults::removeObjectForKey(const std::string& key) {
    if (!isPasswordKey(key)) {
        file_.removeObjectForKey(key);
        return;
    }
    cached_.erase(key);
    writtenToFile_.erase(key);
    forgotten_.insert(key);
    if (file_.valueForKey(key))
        file_.removeObjectForKey(key);
    if (state_ != State::InKeyring)
        return; // the keyring's copy goes when it answers
    enqueue([this, key](PasswordVault::Done done) { vault_.remove(key, std::move(done)); },
            [this, key](const std::optional<VaultProblem>& problem) {
                if (problem)
                    diagnostics_.line("The keyring did not remove the password of " + key + " (" +
                                      describeProblem(*problem) + ")");
            });
}

bool VaultBackedDefaults::mayStillArrive(const std::string& key) const {
    return state_ == State::Waiting && isPasswordKey(key);
}

Subscription VaultBackedDefaults::observeArrivals(std::function<void()> arrived) {
    return arrivals_.subscribe(std::move(arrived));
}

void VaultBackedDefaults::answerTimeOver() {
    answerTimer_.reset();
    if (state_ == State::Waiting)
        // A read still under way (a prompt the user has not answered, say) may yet move them in.
        fallBack({VaultProblem::Kind::Unanswered, {}});
}

void VaultBackedDefaults::presenceChanged(bool present) {
    if (present) {
        if (state_ != State::InKeyring && !reading_)
            startRead();
        return;
    }
    // Whatever the departed keyring still owes is not waited for.
    reading_ = false;
    ++reads_;
    fallBack({VaultProblem::Kind::Absent, {}});
}

void VaultBackedDefaults::startRead() {
    reading_ = true;
    const std::uint64_t read = ++reads_;
    std::weak_ptr<VaultBackedDefaults*> weak = alive_;
    vault_.readAll([weak, read](PasswordVault::ReadAnswer answer) {
        if (auto self = weak.lock())
            (*self)->readAnswered(read, std::move(answer));
    });
}

void VaultBackedDefaults::readAnswered(std::uint64_t read, PasswordVault::ReadAnswer answer) {
    if (read != reads_)
        return;
    reading_ = false;
    if (answer.problem) {
        fallBack(*answer.problem);
        return;
    }
    state_ = State::InKeyring;
    answerTimer_.reset();
    cached_.clear();
    for (auto& [key, password] : answer.passwords) {
        if (!isPasswordKey(key))
            continue;
        if (forgotten_.contains(key)) {
            // Forgotten while the keyring could not be asked.
            enqueue([this, key](PasswordVault::Done done) { vault_.remove(key, std::move(done)); },
                    [](const std::optional<VaultProblem>&) {});
            continue;
        }
        // A password typed in this run while the keyring was away is newer than its copy.
        if (!writtenToFile_.contains(key))
            cached_[key] = std::move(password);
    }
    moveIn();
    if (fallback_) {
        fallback_.reset();
        storageChanged_.fire();
    }
    arrivals_.fire();
}

void VaultBackedDefaults::moveIn() {
    for (const std::string& key : file_.keys()) {
        if (!isPasswordKey(key))
            continue;
        const auto password = file_.stringForKey(key);
        if (!password)
            continue;
        if (cached_.contains(key)) {
            // The keyring already holds this device's password, and its copy counts.
            file_.removeObjectForKey(key);
            writtenToFile_.erase(key);
            continue;
        }
        if (!moving_.contains(key))
            storeMoved(key, *password);
    }
}

void VaultBackedDefaults::storeMoved(const std::string& key, const std::string& password) {
    moving_.insert(key);
    enqueue(
        [this, key, password](PasswordVault::Done done) {
            vault_.store(key, labelForKey(key), password, std::move(done));
        },
        [this, key, password](const std::optional<VaultProblem>& problem) {
            moveAnswered(key, password, problem);
        });
}

void VaultBackedDefaults::moveAnswered(const std::string& key, const std::string& password,
                                       const std::optional<VaultProblem>& problem) {
    moving_.erase(key);
    if (problem) {
        fallBack(*problem); // the file keeps it
    } else {
        answeredAfterSilence();
        // A password typed while this one moved is newer, and already on its way.
        cached_.try_emplace(key, password);
        // Only now may the file's copy go; one changed or forgotten meanwhile is not this one.
        if (file_.stringForKey(key) == password) {
            file_.removeObjectForKey(key);
            writtenToFile_.erase(key);
            ++moved_;
        }
    }
    if (moving_.empty() && moved_ > 0) {
        diagnostics_.line("Moved " + std::to_string(moved_) +
                          (moved_ == 1 ? " password" : " passwords") +
                          " from the settings file to the keyring");
        moved_ = 0;
    }
}

void VaultBackedDefaults::storeTyped(const std::string& key, const std::string& password) {
    enqueue(
        [this, key, password](PasswordVault::Done done) {
            vault_.store(key, labelForKey(key), password, std::move(done));
        },
        [this, key, password](const std::optional<VaultProblem>& problem) {
            const auto cached = cached_.find(key);
            const bool current = cached != cached_.end() && cached->second == password;
            if (problem) {
                // Not lost: the file keeps what the keyring would not.
                if (current) {
                    cached_.erase(cached);
                    file_.setValue(key, password);
                    writtenToFile_.insert(key);
                }
                fallBack(*problem);
            } else {
                // An older copy left in the file by an earlier failure, or by the keyring's
                // silence.
                if (current && file_.valueForKey(key)) {
                    file_.removeObjectForKey(key);
                    writtenToFile_.erase(key);
                }
                answeredAfterSilence();
            }
        },
        [this, key, password] {
            // Not lost if vontal ends before the keyring answers.
            const auto cached = cached_.find(key);
            if (cached != cached_.end() && cached->second == password) {
                file_.setValue(key, password);
                writtenToFile_.insert(key);
            }
        });
}

void VaultBackedDefaults::fallBack(const VaultProblem& problem) {
    state_ = State::InFile;
    answerTimer_.reset();
    if (fallback_ == problem)
        return;
    fallback_ = problem;
    diagnostics_.line("Passwords are kept in the settings file: " + describeProblem(problem));
    storageChanged_.fire();
    // Readers that waited for the keyring go on with the file.
    arrivals_.fire();
}

void VaultBackedDefaults::enqueue(std::function<void(PasswordVault::Done)> start,
                                  PasswordVault::Done finished, std::function<void()> silent) {
    operations_.push_back({std::move(start), std::move(finished), std::move(silent)});
    if (!operationRunning_)
        runNext();
}

void VaultBackedDefaults::runNext() {
    if (operations_.empty())
        return;
    Operation next = std::move(operations_.front());
    operations_.pop_front();
    operationRunning_ = true;
    std::weak_ptr<VaultBackedDefaults*> weak = alive_;
    // The call goes on: a keyring that answers late (the user unlocked it at last) still takes
    // the password then.
    operationTimer_ = timers_.singleShot(kAnswerTime, [weak, silent = std::move(next.silent)] {
        auto self = weak.lock();
        if (!self)
            return;
        (*self)->operationTimer_.reset();
        if (silent)
            silent();
        (*self)->operationSilent();
    });
    next.start([weak, finished = std::move(next.finished)](std::optional<VaultProblem> problem) {
        auto self = weak.lock();
        if (!self)
            return;
        (*self)->operationTimer_.reset();
        // Still running while it is told, so that what it queues waits its turn.
        finished(problem);
        (*self)->operationRunning_ = false;
        (*self)->runNext();
    });
}

void VaultBackedDefaults::operationSilent() {
    fallBack({VaultProblem::Kind::Unanswered, {}});
}

void VaultBackedDefaults::answeredAfterSilence() {
    if (state_ != State::InFile || !fallback_ ||
        fallback_->kind != VaultProblem::Kind::Unanswered || reading_)
        return;
    state_ = State::InKeyring;
    fallback_.reset();
    storageChanged_.fire();
    // What went to the file meanwhile follows.
    moveIn();
}

std::string VaultBackedDefaults::labelForKey(const std::string& key) const {
    std::string name = deviceNames_ ? deviceNames_(key) : std::string();
    return labelFor(name.empty() ? key : name);
}

} // namespace vontal
