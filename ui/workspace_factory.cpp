#include "workspace_factory.h"

#include "platform/desktop/desktop_workspace.h"

namespace vontal {

std::unique_ptr<Workspace> makeWorkspace(Diagnostics& diagnostics) {
    // Where activations cannot be observed (no X display, a Wayland desktop without an observer)
    // this says so in one line and gives a workspace that never posts: a made-up activation would
    // send a wrong name to every connected device.
    return makeDesktopWorkspace(diagnostics);
}

} // namespace vontal
