#pragma once

#include <string>
#include <vector>

namespace vontal {

// The response of the first button, as the platform numbers them.
inline constexpr int kAlertFirstButtonReturn = 1000;

// A modal alert with one masked single-line text field.
struct AlertRequest {
    std::string messageText;
    std::vector<std::string> buttons; // in order; the first one accepts
    int fieldWidth = 200;
    int fieldHeight = 24;
    // The message before the subject was put in, "%1" marking its place, and the subject (a
    // device's name): what a presenter needs to show the message in the user's language with
    // the subject exactly as it is. Empty when the message has no such parts.
    std::string messageFormat{};
    std::string subject{};
    // A second line naming the subject as the user knows it elsewhere (a device's row label
    // where it differs from the name in the message): its wording with "%1" and what goes there.
    // Empty when there is no such line.
    std::string detailFormat{};
    std::string detailSubject{};
};

struct AlertResponse {
    int button = kAlertFirstButtonReturn + 1; // kAlertFirstButtonReturn + index of the button
    std::string text;                         // what the field held when the alert closed
};

class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;
    // Blocks the caller until the user answers; the main loop keeps running meanwhile.
    virtual AlertResponse runModal(const AlertRequest& request) = 0;
    // Closes the alert opened last, if one is open, as its last button: what it asked about no
    // longer needs an answer. Its runModal returns; the caller ignores what it returns.
    virtual void dismiss() = 0;
};

} // namespace vontal
