#include "workspace_factory.h"

namespace vontal {

namespace {

// Until a desktop watcher is wired in, no activation is ever reported: a made-up one would send
// a wrong name to every connected device.
class SilentWorkspace final : public Workspace {
public:
    Subscription observeActivations(std::function<void(const Notification&)>) override {
        return Subscription();
    }
};

} // namespace

std::unique_ptr<Workspace> makeWorkspace(Diagnostics& /*diagnostics*/) {
    return std::make_unique<SilentWorkspace>();
}

} // namespace vontal
