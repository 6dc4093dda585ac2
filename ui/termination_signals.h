#pragma once

#include <QObject>
#include <functional>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

namespace vontal {

// Turns termination signals (a session logout sends SIGHUP and SIGTERM together; a closed
// terminal SIGHUP; Ctrl+C and Ctrl+\ SIGINT and SIGQUIT) into a call on the main loop, so that
// vontal ends through its normal quit: windows close, the manager drops every link and keeps what
// it stores. The handler only writes one byte into a socket pair; everything else runs later, from
// the loop, where Qt may be called.
class TerminationSignals final : public QObject {
public:
    // Installs the handlers for `which`; `received` runs on the main loop once per signal.
    TerminationSignals(std::function<void()> received, std::initializer_list<int> which);
    // The signals get their default handling back.
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the socket pair could not be made; the signals then keep their old handlers.
    bool installed() const { return notifier_ != nullptr; }

private:
    void drain();

    std::function<void()> received_;
    QSocketNotifier* notifier_ = nullptr;
    std::vector<int> signals_;
};

// A write to a pipe or socket whose reader is gone fails with EPIPE instead of ending the process
// (standard output read by a program that quit, a D-Bus peer gone). A handler that does nothing,
// not SIG_IGN, so that programs vontal starts get the default back when they execute.
void surviveBrokenPipes();

} // namespace vontal
