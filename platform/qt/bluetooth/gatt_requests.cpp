#include "gatt_requests.h"

#include <algorithm>

namespace vontal {

namespace {

template <typename Predicate>
std::optional<GattRequest> takeFirst(std::deque<GattRequest>& pending, Predicate matches) {
    auto it = std::find_if(pending.begin(), pending.end(), matches);
    if (it == pending.end())
        return std::nullopt;
    GattRequest request = std::move(*it);
    pending.erase(it);
    return request;
}

} // namespace

std::optional<GattRequest> GattRequests::takeAnswered(GattRequestKind kind,
                                                      const Characteristic* target) {
    return takeFirst(pending_, [&](const GattRequest& request) {
        return request.kind == kind && request.characteristic.get() == target;
    });
}

std::optional<GattRequest> GattRequests::takeFailed(GattRequestKind kind) {
    return takeFirst(pending_, [&](const GattRequest& request) { return request.kind == kind; });
}

std::optional<GattRequest> GattRequests::takeOldest() {
    return takeFirst(pending_, [](const GattRequest&) { return true; });
}

} // namespace vontal
