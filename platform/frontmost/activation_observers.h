#pragma once

#include "platform/subscription.h"
#include "platform/workspace.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace vontal {

// The observers of one workspace. Subscriptions may outlive the workspace, so the list lives in
// shared storage they only hold weakly.
class ActivationObservers {
public:
    using Observer = std::function<void(const Notification&)>;

    [[nodiscard]] Subscription add(Observer observer) {
        const auto id = list_->nextId++;
        list_->byId.emplace(id, std::move(observer));
        return Subscription([weak = std::weak_ptr<List>(list_), id] {
            if (const auto list = weak.lock())
                list->byId.erase(id);
        });
    }

    // An observer may add or remove observers; only those still registered are called.
    void post(const Notification& notification) const {
        std::vector<std::uint64_t> ids;
        for (const auto& [id, observer] : list_->byId)
            ids.push_back(id);
        for (const auto id : ids) {
            const auto it = list_->byId.find(id);
            if (it == list_->byId.end())
                continue;
            const Observer observer = it->second;
            observer(notification);
        }
    }

private:
    struct List {
        std::uint64_t nextId = 0;
        std::map<std::uint64_t, Observer> byId;
    };
    std::shared_ptr<List> list_ = std::make_shared<List>();
};

} // namespace vontal
