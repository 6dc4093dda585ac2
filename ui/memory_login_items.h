#pragma once

#include "platform/login_item.h"

#include <map>
#include <string>

namespace vontal {

// One item of the service below: its flag in the service's map.
class MemoryLoginItem final : public LoginItem {
public:
    explicit MemoryLoginItem(bool& registered) : registered_(registered) {}

    LoginItemStatus status() const override {
        return registered_ ? LoginItemStatus::Enabled : LoginItemStatus::NotRegistered;
    }
    std::optional<LoginItemError> registerItem() override {
        registered_ = true;
        return std::nullopt;
    }
    std::optional<LoginItemError> unregisterItem() override {
        if (!registered_)
            return LoginItemError{"The login item is not registered."};
        registered_ = false;
        return std::nullopt;
    }

private:
    bool& registered_;
};

// Login items kept in memory for the life of the process: what `--simulate` uses, so that
// trying vontal out never touches the user's autostart entries.
class MemoryLoginItemService final : public LoginItemService {
public:
    std::unique_ptr<LoginItem> loginItemServiceWithIdentifier(const std::string& id) override {
        return std::make_unique<MemoryLoginItem>(registered_[id]);
    }

private:
    std::map<std::string, bool> registered_;
};

} // namespace vontal
