#include "loginhelper/vontalloginhelper_app.h"

#include "loginhelper/installed_application.h"
#include "loginhelper/system_log.h"
#include "vontal_ids.h"

#include <string>

namespace vontal {

vontalloginhelperApp::vontalloginhelperApp() {
    SystemLog log("vontalloginhelper");
    const std::string identifier = kMainIdentifier;

    const auto application = InstalledApplication::find(identifier);
    if (!application) {
        log.error("Could not find application URL for bundle ID " + identifier);
        return;
    }
    if (const auto error = application->launch()) {
        log.error("Failed to launch Vontal: " + *error);
    }
}

} // namespace vontal
