#include "read_echo_filter.h"

namespace vontal {

void ReadEchoFilter::readSent(const Characteristic* characteristic) {
    ++state_[characteristic].readsInFlight;
}

void ReadEchoFilter::readAnswered(const Characteristic* characteristic, const Bytes& value,
                                  Clock::time_point now) {
    State& state = state_[characteristic];
    if (state.readsInFlight > 0)
        --state.readsInFlight;
    if (state.echoesBeforeAnswer > 0) {
        --state.echoesBeforeAnswer;
        return;
    }
    state.echoExpected = true;
    state.expectedValue = value;
    state.expectedUntil = now + kEchoWindow;
}

void ReadEchoFilter::readFailed(const Characteristic* characteristic) {
    State& state = state_[characteristic];
    if (state.readsInFlight > 0)
        --state.readsInFlight;
}

bool ReadEchoFilter::isNotification(const Characteristic* characteristic, const Bytes& value,
                                    Clock::time_point now) {
    auto it = state_.find(characteristic);
    if (it == state_.end())
        return true;
    State& state = it->second;
    if (state.readsInFlight > state.echoesBeforeAnswer) {
        // The answer is still to come and will carry the value.
        ++state.echoesBeforeAnswer;
        return false;
    }
    if (state.echoExpected) {
        state.echoExpected = false;
        if (now <= state.expectedUntil && value == state.expectedValue)
            return false;
    }
    return true;
}

} // namespace vontal
