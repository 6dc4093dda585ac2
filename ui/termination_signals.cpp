#include "termination_signals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vontal {

namespace {

// One pair for the process: a signal handler can reach nothing else.
int writeEnd = -1;
int readEnd = -1;

void onSignal(int /*signal*/) {
    const int saved = errno;
    const char byte = 1;
    // Non-blocking: with the pipe full, a quit is already on its way.
    [[maybe_unused]] const auto written = ::write(writeEnd, &byte, 1);
    errno = saved;
}

void onBrokenPipe(int /*signal*/) {}

} // namespace

void surviveBrokenPipes() {
    struct sigaction action {};
    action.sa_handler = onBrokenPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGPIPE, &action, nullptr);
}

TerminationSignals::TerminationSignals(std::function<void()> received,
                                       std::initializer_list<int> which)
    : received_(std::move(received)) {
    if (writeEnd < 0) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
            return;
        readEnd = pair[0];
        writeEnd = pair[1];
    }
    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { drain(); });

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on: the loop sees the byte when it next waits.
    action.sa_flags = SA_RESTART;
    for (const int signal : which) {
        if (::sigaction(signal, &action, nullptr) == 0)
            signals_.push_back(signal);
    }
}

TerminationSignals::~TerminationSignals() {
    for (const int signal : signals_)
        std::signal(signal, SIG_DFL);
}

void TerminationSignals::drain() {
    char bytes[16];
    ssize_t count = 0;
    while ((count = ::read(readEnd, bytes, sizeof bytes)) > 0) {
        for (ssize_t index = 0; index < count; ++index)
            received_();
    }
}

} // namespace vontal
