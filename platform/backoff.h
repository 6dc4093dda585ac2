#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace vontal {

// A device whose connections keep failing is tried again after a pause that doubles with each
// failure in a row, from `first` up to `maximum`.
std::chrono::milliseconds backoffPause(unsigned failures, std::chrono::milliseconds first,
                                       std::chrono::milliseconds maximum);

// The one line that says so, due at the second failure in a row (a single failure is ordinary).
std::optional<std::string> keepsFailingLine(unsigned failures, const std::string& device,
                                            std::chrono::milliseconds maximum);

} // namespace vontal
