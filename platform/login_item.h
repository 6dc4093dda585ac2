#pragma once

#include <memory>
#include <optional>
#include <string>

namespace vontal {

// Numeric values as the login-item service reports them.
enum class LoginItemStatus : int {
    NotRegistered = 0,
    Enabled = 1,
    RequiresApproval = 2,
    NotFound = 3,
};

struct LoginItemError {
    std::string description;
};

// One login item, named by the helper's identifier.
class LoginItem {
public:
    virtual ~LoginItem() = default;
    virtual LoginItemStatus status() const = 0;
    // Nothing on success.
    virtual std::optional<LoginItemError> registerItem() = 0;
    virtual std::optional<LoginItemError> unregisterItem() = 0;
};

// The system's login-item service; a new LoginItem is obtained for every query or change.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;
    virtual std::unique_ptr<LoginItem> loginItemServiceWithIdentifier(const std::string& id) = 0;
};

} // namespace vontal
