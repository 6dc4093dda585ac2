#pragma once

#include "platform/change_signal.h"
#include "platform/password_vault.h"

#include <memory>
#include <optional>

namespace vontal {

// The desktop's keyring through the freedesktop Secret Service (libsecret): one item per device,
// of the schema "org.vontal.DevicePassword", with the attributes service=vontal and device=<the
// device's password key>. Every call is asynchronous on the GLib main context Qt's event loop
// runs, so an unlock prompt never stops vontal's loop. A keyring is only used while one holds its
// name on the session bus: vontal never starts one by asking (on a desktop without one, that
// would start a keyring nobody unlocks).
class SecretServiceVault final : public PasswordVault {
public:
    SecretServiceVault();
    ~SecretServiceVault() override;
    SecretServiceVault(const SecretServiceVault&) = delete;
    SecretServiceVault& operator=(const SecretServiceVault&) = delete;

    Subscription observePresence(std::function<void(bool present)> told) override;
    void readAll(std::function<void(ReadAnswer)> done) override;
    void store(const std::string& key, const std::string& label, const std::string& password,
               Done done) override;
    void remove(const std::string& key, Done done) override;

    struct Bus; // the GLib side

private:
    std::unique_ptr<Bus> bus_;
};

} // namespace vontal
