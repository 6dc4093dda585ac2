#pragma once

#include <QObject>
#include <functional>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

namespace vontal {

// Turns SIGTERM and SIGINT (a session logout, Ctrl+C in a terminal) into a call on the main loop,
// so that vontal ends through its normal quit: windows close, the manager drops every link and
// keeps what it stores. The handler only writes one byte into a socket pair; everything else runs
// later, from the loop, where Qt may be called.
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

} // namespace vontal
