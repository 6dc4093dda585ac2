#pragma once

#include "platform/diagnostics.h"
#include "platform/workspace.h"

#include <memory>

namespace vontal {

// The desktop's application activations, as this session can observe them.
std::unique_ptr<Workspace> makeWorkspace(Diagnostics& diagnostics);

} // namespace vontal
