#pragma once

#include "platform/login_item.h"

#include <map>
#include <string>

namespace vontal {

// Login items kept in memory for the life of the process: what `--simulate` uses, so that
// trying vontal out never touches the user's autostart entries.
class MemoryLoginItemService final : public LoginItemService {
public:
    std::unique_ptr<LoginItem> loginItemServiceWithIdentifier(const std::string& id) override;

private:
    std::map<std::string, bool> registered_;
};

} // namespace vontal
