#include "tests/support/sim/scripted_alert_presenter.h"

namespace vontal {

AlertResponse ScriptedAlertPresenter::runModal(const AlertRequest& request) {
    requests_.push_back(request);
    std::optional<Answer> answer;
    if (!script_.empty()) {
        answer = std::move(script_.front());
        script_.pop_front();
    } else if (responder_) {
        answer = responder_(request);
    }
    if (!answer) {
        unexpected_.push_back(request);
        answer = Answer{kAlertFirstButtonReturn + 1, {}, {}};
    }

    dismissedWhileOpen_.push_back(false);
    if (answer->whileOpen)
        answer->whileOpen();
    if (whileOpen_)
        whileOpen_(request);
    const bool dismissed = dismissedWhileOpen_.back();
    dismissedWhileOpen_.pop_back();
    if (dismissed)
        return AlertResponse{kAlertFirstButtonReturn + 1, {}};
    return AlertResponse{answer->response, answer->text};
}

void ScriptedAlertPresenter::dismiss() {
    if (dismissedWhileOpen_.empty() || dismissedWhileOpen_.back())
        return;
    dismissedWhileOpen_.back() = true;
    ++dismissals_;
}

void ScriptedAlertPresenter::answer(int buttonIndex, std::string text,
                                    std::function<void()> whileOpen) {
    answerWithResponse(kAlertFirstButtonReturn + buttonIndex, std::move(text),
                       std::move(whileOpen));
}

void ScriptedAlertPresenter::answerWithResponse(int response, std::string text,
                                                std::function<void()> whileOpen) {
    script_.push_back(Answer{response, std::move(text), std::move(whileOpen)});
}

} // namespace vontal
