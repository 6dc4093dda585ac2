// The floor under the main job's latency: the session's workspace alone (X11 or wlroots, chosen as
// vontal chooses), with nothing behind it. Prints
// "ready" once it watches, then one line per activation: the CLOCK_MONOTONIC time in nanoseconds
// at which the activation was posted, a space, and the application's localized name.

#include "platform/desktop/desktop_workspace.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

class StderrDiagnostics final : public vontal::Diagnostics {
public:
    void line(std::string_view text) override {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
};

std::string nameIn(const vontal::Notification& notification) {
    if (!notification.userInfo)
        return {};
    const auto it = notification.userInfo->find(vontal::kWorkspaceApplicationKey);
    if (it == notification.userInfo->end())
        return {};
    const auto* app = std::get_if<std::shared_ptr<vontal::RunningApplication>>(&it->second);
    return app && *app && (*app)->localizedName ? *(*app)->localizedName : std::string();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    StderrDiagnostics diagnostics;
    const auto workspace = vontal::makeDesktopObserver(diagnostics).workspace;
    if (!workspace)
        return 1;
    const auto subscription =
        workspace->observeActivations([](const vontal::Notification& notification) {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            const auto nanoseconds =
                std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
            std::printf("%lld %s\n", static_cast<long long>(nanoseconds),
                        nameIn(notification).c_str());
            std::fflush(stdout);
        });
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
