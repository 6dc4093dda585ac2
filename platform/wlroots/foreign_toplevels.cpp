#include "platform/wlroots/foreign_toplevels.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <list>
#include <utility>
#include <wayland-client.h>

namespace vontal {

namespace {

// The newest manager version whose events we handle.
constexpr std::uint32_t kNewestVersion = 3;

struct Toplevel {
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    // Each description comes as a series of events closed by `done`; until then it is pending.
    std::string pendingAppId;
    bool pendingActivated = false;
    std::string appId;
    bool activated = false;
    // When it last became activated, in completed descriptions: the latest one is in front.
    std::uint64_t activatedOrder = 0;
};

} // namespace

struct ForeignToplevels::Impl {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    zwlr_foreign_toplevel_manager_v1* manager = nullptr;
    std::uint32_t managerName = 0;
    std::uint32_t version = 0;
    std::list<Toplevel> toplevels;
    std::uint64_t activations = 0;
    std::vector<std::optional<std::string>> frontChanges;
    bool finished = false;

    ~Impl() {
        for (auto& toplevel : toplevels)
            zwlr_foreign_toplevel_handle_v1_destroy(toplevel.handle);
        if (manager != nullptr) {
            if (!finished)
                zwlr_foreign_toplevel_manager_v1_stop(manager);
            zwlr_foreign_toplevel_manager_v1_destroy(manager);
        }
        if (registry != nullptr)
            wl_registry_destroy(registry);
        if (display != nullptr) {
            wl_display_flush(display);
            wl_display_disconnect(display);
        }
    }

    static void global(void* data, wl_registry*, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* self = static_cast<Impl*>(data);
        if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0) {
            self->managerName = name;
            self->version = std::min(version, kNewestVersion);
        }
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static constexpr wl_registry_listener kRegistryListener{&global, &globalRemove};

    static void toplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                         zwlr_foreign_toplevel_handle_v1* handle) {
        auto* self = static_cast<Impl*>(data);
        auto& added = self->toplevels.emplace_back();
        added.handle = handle;
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kHandleListener, self);
    }
    static void finishedEvent(void* data, zwlr_foreign_toplevel_manager_v1*) {
        static_cast<Impl*>(data)->finished = true;
    }
    static constexpr zwlr_foreign_toplevel_manager_v1_listener kManagerListener{&toplevel,
                                                                                &finishedEvent};

    std::optional<std::string> activatedAppId() const {
        const Toplevel* front = nullptr;
        for (const auto& toplevel : toplevels) {
            if (toplevel.activated &&
                (front == nullptr || toplevel.activatedOrder > front->activatedOrder))
                front = &toplevel;
        }
        if (front == nullptr)
            return std::nullopt;
        return front->appId;
    }

    Toplevel* find(zwlr_foreign_toplevel_handle_v1* handle) {
        const auto it = std::find_if(toplevels.begin(), toplevels.end(),
                                     [&](const Toplevel& t) { return t.handle == handle; });
        return it == toplevels.end() ? nullptr : &*it;
    }

    static void title(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}
    static void appId(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* appId) {
        if (auto* toplevel = static_cast<Impl*>(data)->find(handle))
            toplevel->pendingAppId = appId != nullptr ? appId : "";
    }
    static void outputEnter(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void outputLeave(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void state(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* states) {
        auto* toplevel = static_cast<Impl*>(data)->find(handle);
        if (toplevel == nullptr)
            return;
        toplevel->pendingActivated = false;
        const auto* values = static_cast<const std::uint32_t*>(states->data);
        for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i) {
            if (values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)
                toplevel->pendingActivated = true;
        }
    }
    static void done(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
        auto* self = static_cast<Impl*>(data);
        auto* toplevel = self->find(handle);
        if (toplevel == nullptr)
            return;
        if (toplevel->pendingActivated && !toplevel->activated)
            toplevel->activatedOrder = ++self->activations;
        toplevel->activated = toplevel->pendingActivated;
        toplevel->appId = toplevel->pendingAppId;
        self->frontChanges.push_back(self->activatedAppId());
    }
    static void closed(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
        auto* self = static_cast<Impl*>(data);
        std::erase_if(self->toplevels, [&](const Toplevel& t) { return t.handle == handle; });
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
        self->frontChanges.push_back(self->activatedAppId());
    }
    static void parent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}
    static constexpr zwlr_foreign_toplevel_handle_v1_listener kHandleListener{
        &title, &appId, &outputEnter, &outputLeave, &state, &done, &closed, &parent};
};

std::unique_ptr<ForeignToplevels> ForeignToplevels::connect(const char* displayName,
                                                            std::string& whyNot) {
    auto impl = std::make_unique<Impl>();
    impl->display = wl_display_connect(displayName);
    if (impl->display == nullptr) {
        whyNot = "cannot connect to the Wayland compositor";
        return nullptr;
    }
    impl->registry = wl_display_get_registry(impl->display);
    wl_registry_add_listener(impl->registry, &Impl::kRegistryListener, impl.get());
    if (wl_display_roundtrip(impl->display) < 0) {
        whyNot = "the Wayland compositor closed the connection";
        return nullptr;
    }
    if (impl->managerName == 0) {
        whyNot = "the compositor does not offer zwlr_foreign_toplevel_manager_v1";
        return nullptr;
    }
    impl->manager = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        wl_registry_bind(impl->registry, impl->managerName,
                         &zwlr_foreign_toplevel_manager_v1_interface, impl->version));
    zwlr_foreign_toplevel_manager_v1_add_listener(impl->manager, &Impl::kManagerListener,
                                                  impl.get());
    // The compositor answers the bind with every toplevel and its description before it answers
    // the round trip.
    if (wl_display_roundtrip(impl->display) < 0) {
        whyNot = "the Wayland compositor closed the connection";
        return nullptr;
    }
    impl->frontChanges.clear();
    return std::unique_ptr<ForeignToplevels>(new ForeignToplevels(std::move(impl)));
}

ForeignToplevels::ForeignToplevels(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

ForeignToplevels::~ForeignToplevels() = default;

int ForeignToplevels::descriptor() const {
    return wl_display_get_fd(impl_->display);
}

bool ForeignToplevels::readAvailable() {
    wl_display* display = impl_->display;
    // Events already queued (read during a round trip) are handled before we may read more.
    if (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0)
            return false;
    } else if (wl_display_read_events(display) < 0 && wl_display_get_error(display) != 0) {
        return false;
    }
    if (wl_display_dispatch_pending(display) < 0)
        return false;
    if (wl_display_flush(display) < 0 && errno != EAGAIN)
        return false;
    return wl_display_get_error(display) == 0 && !impl_->finished;
}

std::optional<std::string> ForeignToplevels::activatedAppId() const {
    return impl_->activatedAppId();
}

std::vector<std::optional<std::string>> ForeignToplevels::takeFrontChanges() {
    return std::exchange(impl_->frontChanges, {});
}

std::uint32_t ForeignToplevels::version() const {
    return impl_->version;
}

} // namespace vontal
