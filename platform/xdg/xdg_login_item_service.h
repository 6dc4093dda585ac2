#pragma once

#include "platform/login_item.h"

#include <string>

namespace vontal {

// One login item as an XDG autostart entry, which the desktop session runs at login.
//
// Status, read from the entry each time it is asked for:
// - NotFound: vontalloginhelper is not installed (or the identifier cannot name an entry file);
// - NotRegistered: there is no entry, or it is Hidden, which the autostart rules treat as deleted;
// - Enabled: the entry would start the installed helper at the next login;
// - RequiresApproval: an entry exists but would not start the installed helper: it is not a
//   readable regular file, the desktop has switched it off (X-GNOME-Autostart-enabled=false),
//   OnlyShowIn/NotShowIn leave out this desktop (XDG_CURRENT_DESKTOP), GIO does not accept it
//   (TryExec or Exec naming a program that is not there), its Exec is not the installed helper,
//   or it cannot be read as an application. Registering again replaces it with a working one.
class XdgLoginItem final : public LoginItem {
public:
    // entryPath: the .desktop file, empty when the identifier cannot name one. helperPath: the
    // installed helper, empty when it is not installed.
    XdgLoginItem(std::string identifier, std::string entryPath, std::string helperPath);

    LoginItemStatus status() const override;
    // Writes the entry whole, in one atomic replacement, creating its directory if needed; only
    // once GIO has read the new entry back as one that starts the installed helper.
    std::optional<LoginItemError> registerItem() override;
    // Removes the entry; no entry is success.
    std::optional<LoginItemError> unregisterItem() override;

private:
    bool helperInstalled() const;
    bool startsInstalledHelper(const std::string& exec) const;

    std::string identifier_;
    std::string entryPath_;
    std::string helperPath_;
};

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
