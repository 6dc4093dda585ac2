#pragma once

// The GATT requests of one service that still wait for their answer. Qt runs one GATT operation
// at a time per device and answers them in order, but it reports a refused write or read only as
// an error kind on the service, without naming the characteristic; the oldest request of that
// kind is the one the error belongs to.

#include "devicelink/bluetooth.h"

#include <algorithm>
#include <deque>
#include <optional>

namespace vontal {

enum class GattRequestKind {
    Read,
    Write,        // with response; writes without response are never answered
    Notification, // the client characteristic configuration write that switches notifications
};

struct GattRequest {
    GattRequestKind kind;
    CharacteristicRef characteristic;
    bool enableNotifications = false;
};

class GattRequests {
public:
    void add(GattRequest request) { pending_.push_back(std::move(request)); }
    // The oldest request of this kind on this characteristic: the one a success signal answers.
    std::optional<GattRequest> takeAnswered(GattRequestKind kind, const Characteristic* target) {
        return takeFirst([&](const GattRequest& request) {
            return request.kind == kind && request.characteristic.get() == target;
        });
    }
    // The oldest request of this kind, whatever its characteristic: the one an error answers.
    std::optional<GattRequest> takeFailed(GattRequestKind kind) {
        return takeFirst([&](const GattRequest& request) { return request.kind == kind; });
    }
    // The oldest request of any kind (an error Qt does not attribute to a kind).
    std::optional<GattRequest> takeOldest() {
        return takeFirst([](const GattRequest&) { return true; });
    }
    bool empty() const { return pending_.empty(); }

private:
    template <typename Predicate> std::optional<GattRequest> takeFirst(Predicate matches) {
        auto it = std::find_if(pending_.begin(), pending_.end(), matches);
        if (it == pending_.end())
            return std::nullopt;
        GattRequest request = std::move(*it);
        pending_.erase(it);
        return request;
    }

    std::deque<GattRequest> pending_;
};

} // namespace vontal
