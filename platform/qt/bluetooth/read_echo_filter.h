#pragma once

// bluetoothd announces every value it reads as a change of the characteristic's Value property,
// so Qt reports a read twice: once as the read's answer and once as a change, before or after
// the answer. A change that is such an echo must not reach the device link as a notification.

#include "devicelink/bluetooth.h"

#include <chrono>
#include <map>

namespace vontal {

class ReadEchoFilter {
public:
    using Clock = std::chrono::steady_clock;
    // How long after a read's answer its echo is still expected.
    static constexpr std::chrono::milliseconds kEchoWindow{1000};

    void readSent(const Characteristic* characteristic);
    void readAnswered(const Characteristic* characteristic, const Bytes& value,
                      Clock::time_point now);
    void readFailed(const Characteristic* characteristic);
    // False when the change is the echo of a read; true for a real notification.
    bool isNotification(const Characteristic* characteristic, const Bytes& value,
                        Clock::time_point now);
    void clear() { state_.clear(); }

private:
    struct State {
        int readsInFlight = 0;
        int echoesBeforeAnswer = 0;
        bool echoExpected = false;
        Bytes expectedValue;
        Clock::time_point expectedUntil;
    };
    std::map<const Characteristic*, State> state_;
};

} // namespace vontal
