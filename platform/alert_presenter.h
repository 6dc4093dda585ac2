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
};

} // namespace vontal
