#include "prompt_tracker.h"

namespace vontal {

AlertResponse PromptTracker::runModal(const AlertRequest& request) {
    ++open_;
    changed_.fire();
    AlertResponse response = alerts_.runModal(request);
    --open_;
    changed_.fire();
    return response;
}

} // namespace vontal
