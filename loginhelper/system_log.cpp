#include "loginhelper/system_log.h"

#include <syslog.h>

namespace vontal {

SystemLog::SystemLog(const char* ident) {
    // openlog keeps the pointer, so ident must outlive the log; callers pass a literal.
    openlog(ident, LOG_PERROR, LOG_USER);
}

SystemLog::~SystemLog() {
    closelog();
}

void SystemLog::error(const std::string& message) {
    syslog(LOG_ERR, "%s", message.c_str());
}

} // namespace vontal
