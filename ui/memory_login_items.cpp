#include "memory_login_items.h"

namespace vontal {

namespace {

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

} // namespace

std::unique_ptr<LoginItem>
MemoryLoginItemService::loginItemServiceWithIdentifier(const std::string& id) {
    return std::make_unique<MemoryLoginItem>(registered_[id]);
}

} // namespace vontal
