#pragma once

// Latency samples and the table the end-to-end benchmark prints.

#include <cstdint>
#include <string>
#include <vector>

namespace vontal::e2e {

struct Latencies {
    std::string label;
    std::vector<std::int64_t> nanoseconds;

    // Nearest rank; 0 without samples.
    double percentileMs(double percent) const;
    double maxMs() const;
};

void printTable(const std::vector<Latencies>& rows);

} // namespace vontal::e2e
