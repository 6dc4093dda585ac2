#include "platform/wlroots/wlroots_workspace.h"

#include "platform/frontmost/gio_application_catalog.h"
#include "platform/qt/services/qt_timers.h"
#include "platform/wlroots/foreign_toplevels.h"

#include <QSocketNotifier>

namespace vontal {

struct WlrootsWorkspace::Impl {
    Impl(Diagnostics& diagnostics, std::unique_ptr<ForeignToplevels> toplevels)
        : diagnostics(diagnostics), toplevels(std::move(toplevels)),
          notifier(this->toplevels->descriptor(), QSocketNotifier::Read) {
        QObject::connect(&notifier, &QSocketNotifier::activated, &notifier, [this] { read(); });
    }

    void read() {
        if (!toplevels->readAvailable()) {
            connectionLost();
            return;
        }
        // Every step, so that focus on no window between two windows starts a gap that the next
        // step ends. The compositor re-describes the focused toplevel on every title change; only
        // a change of the application in front counts, which the engine decides.
        for (const auto& appId : toplevels->takeFrontChanges())
            engine.appIdInFront(appId);
    }

    void connectionLost() {
        notifier.setEnabled(false);
        engine.forget();
        diagnostics.line(
            "Wayland compositor connection lost: application activations are no longer observed");
    }

    Diagnostics& diagnostics;
    std::unique_ptr<ForeignToplevels> toplevels;
    GioApplicationCatalog catalog;
    QtTimers timers;
    FrontmostEngine engine{catalog, timers};
    QSocketNotifier notifier;
};

std::unique_ptr<WlrootsWorkspace>
WlrootsWorkspace::connect(Diagnostics& diagnostics, const char* displayName, std::string& whyNot) {
    auto toplevels = ForeignToplevels::connect(displayName, whyNot);
    if (!toplevels)
        return nullptr;
    auto impl = std::make_unique<Impl>(diagnostics, std::move(toplevels));
    // The application in front when watching starts is where we start, not an activation.
    impl->engine.appIdInFront(impl->toplevels->activatedAppId());
    return std::unique_ptr<WlrootsWorkspace>(new WlrootsWorkspace(std::move(impl)));
}

WlrootsWorkspace::WlrootsWorkspace(std::unique_ptr<Impl> impl)
    : FrontmostWorkspace(impl->engine), impl_(std::move(impl)) {}

WlrootsWorkspace::~WlrootsWorkspace() = default;

unsigned WlrootsWorkspace::protocolVersion() const {
    return impl_->toplevels->version();
}

} // namespace vontal
