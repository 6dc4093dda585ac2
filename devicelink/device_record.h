#pragma once

#include "bluetooth.h"
#include "platform/subscription.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vontal {

// What the device link keeps about one device, by its identifier. A record exists while any of
// it is set; it is dropped once nothing is left.
struct DeviceRecord {
    // What the current connection of the device has done. A connection starting or ending
    // resets all of it at once.
    struct Connection {
        // The device accepted its password on this connection: only then does it hear names.
        bool unlocked = false;
        bool refusedPassword = false;
        // The device was told its names are cut to fit the link.
        bool cutAnnounced = false;
        // Errors of writes without response, each logged once.
        std::set<std::string> writeErrorsLogged;
        // The newest name, waiting for the stack to take the previous write.
        std::optional<std::string> waitingName;
        // The name the device announced last, so that a device repeating it gives one line.
        std::optional<std::string> announcedName;
        // The characteristics this connection discovered: pairing and a password answer go to
        // the device's own ones, never to another's when two handshakes interleave.
        CharacteristicRef passwordCharacteristic;
        CharacteristicRef dataCharacteristic;
        // The handshake found no password yet and waits for a slower store (the keyring) to
        // answer before it writes one or asks.
        bool awaitingPassword = false;

        bool operator==(const Connection&) const = default;
    };

    // The growing pause before reconnecting a device whose connections end before it accepts
    // its password.
    struct Backoff {
        unsigned failures = 0;
        std::optional<Subscription> pause;
        // Listed under "Discovered" during the pause; connected when it is over.
        std::vector<PeripheralRef> waiting;
    };

    // A password alert of the device, queued or open (one at most). While it exists, nothing
    // writes a password to the device: the user's answer decides what it hears next, and goes
    // to the password characteristic of the connection there is when the user answers.
    enum class AlertKind { EnterPassword, IncorrectPassword };
    struct PasswordAlert {
        PeripheralRef peripheral;
        AlertKind kind = AlertKind::EnterPassword;
        // Tells the open alert from a later one of the same device; 0 while queued.
        std::uint64_t ticket = 0;
    };

    Connection connection;
    Backoff backoff;
    std::optional<PasswordAlert> alert;
    // The user cancelled the incorrect-password alert: no automatic connection until "Connect".
    bool heldBack = false;
    // The scan in which the device was last asked to connect while it is pending.
    std::optional<std::uint64_t> pendingScan;

    bool empty() const {
        return connection == Connection{} && backoff.failures == 0 && !backoff.pause &&
               backoff.waiting.empty() && !alert && !heldBack && !pendingScan;
    }
};

} // namespace vontal
