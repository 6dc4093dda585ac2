#pragma once

#include "platform/login_item.h"

#include <string>

namespace vontal {

// Login items on Linux: XDG autostart entries, <config home>/autostart/<identifier>.desktop,
// each starting the installed vontalloginhelper.
class XdgLoginItemService final : public LoginItemService {
public:
    // helperPath: the installed vontalloginhelper; empty when it is not installed.
    explicit XdgLoginItemService(std::string helperPath);

    std::unique_ptr<LoginItem> loginItemServiceWithIdentifier(const std::string& id) override;

    // vontalloginhelper beside the running program, else on PATH; empty when it is in neither.
    static std::string findInstalledHelper();
    // The same search over the given directory and PATH-style list.
    static std::string findHelper(const std::string& besideDirectory,
                                  const std::string& searchPath);

    // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when XDG_CONFIG_HOME is unset or not
    // an absolute path. Read afresh on every call.
    static std::string autostartDirectory();

private:
    std::string helperPath_;
};

} // namespace vontal
