#pragma once

#include <string>

namespace vontal {

// The system log, opened for the life of the object. Every message is also written to standard
// error, so it shows up in a terminal and in the session's journal even without a syslog daemon.
class SystemLog {
public:
    explicit SystemLog(const char* ident);
    ~SystemLog();
    SystemLog(const SystemLog&) = delete;
    SystemLog& operator=(const SystemLog&) = delete;

    // Writes the message as it is: percent signs in it are text, not conversions.
    void error(const std::string& message);
};

} // namespace vontal
