#pragma once

#include "platform/alert_presenter.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vontal {

// Alerts answered from a script. Each alert takes the next scripted answer; without one it asks
// the responder, if set; failing both it records the alert as unexpected and answers as if the
// second button (Cancel) was chosen, so a test fails clearly instead of hanging.
class ScriptedAlertPresenter final : public AlertPresenter {
public:
    struct Answer {
        int response = kAlertFirstButtonReturn;
        std::string text;
        // Runs while the alert is open, before it closes: this is where the real dialog's nested
        // modal loop would let timers and Bluetooth events through (advance a clock here).
        std::function<void()> whileOpen;
    };

    AlertResponse runModal(const AlertRequest& request) override;
    // The alert open innermost closes as Cancel once its hooks have run, whatever its answer.
    void dismiss() override;

    // The button by its index (0 is the first, accepting button) and what the field holds.
    void answer(int buttonIndex, std::string text = {}, std::function<void()> whileOpen = {});
    void answerWithResponse(int response, std::string text = {},
                            std::function<void()> whileOpen = {});
    void accept(std::string text, std::function<void()> whileOpen = {}) {
        answer(0, std::move(text), std::move(whileOpen));
    }
    void cancel(std::function<void()> whileOpen = {}) { answer(1, {}, std::move(whileOpen)); }

    // Answers alerts once the script has run out; returning nothing counts as unexpected.
    using Responder = std::function<std::optional<Answer>(const AlertRequest&)>;
    void setResponder(Responder responder) { responder_ = std::move(responder); }
    // Runs while every alert is open, after the answer's own hook.
    void setWhileOpen(std::function<void(const AlertRequest&)> hook) {
        whileOpen_ = std::move(hook);
    }

    // Every alert shown, in order.
    const std::vector<AlertRequest>& requests() const { return requests_; }
    // Alerts for which there was no answer.
    const std::vector<AlertRequest>& unexpected() const { return unexpected_; }
    std::size_t scriptedLeft() const { return script_.size(); }
    // How many alerts are open right now (nested alerts count).
    int openNow() const { return static_cast<int>(dismissedWhileOpen_.size()); }
    // How many open alerts were dismissed, in all.
    int dismissals() const { return dismissals_; }

private:
    std::deque<Answer> script_;
    Responder responder_;
    std::function<void(const AlertRequest&)> whileOpen_;
    std::vector<AlertRequest> requests_;
    std::vector<AlertRequest> unexpected_;
    // Per open alert, innermost last: whether it was dismissed.
    std::vector<bool> dismissedWhileOpen_;
    int dismissals_ = 0;
};

} // namespace vontal
