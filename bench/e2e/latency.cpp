#include "latency.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vontal::e2e {

double Latencies::percentileMs(double percent) const {
    if (nanoseconds.empty())
        return 0;
    std::vector<std::int64_t> sorted = nanoseconds;
    std::sort(sorted.begin(), sorted.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(percent / 100.0 * static_cast<double>(sorted.size())));
    return static_cast<double>(sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1]) / 1e6;
}

double Latencies::maxMs() const {
    if (nanoseconds.empty())
        return 0;
    return static_cast<double>(*std::max_element(nanoseconds.begin(), nanoseconds.end())) / 1e6;
}

void printTable(const std::vector<Latencies>& rows) {
    std::printf("%-58s %5s %8s %8s %8s %8s\n", "", "n", "p50 ms", "p90 ms", "p99 ms", "max ms");
    for (const auto& row : rows) {
        std::printf("%-58s %5zu %8.3f %8.3f %8.3f %8.3f\n", row.label.c_str(),
                    row.nanoseconds.size(), row.percentileMs(50), row.percentileMs(90),
                    row.percentileMs(99), row.maxMs());
    }
}

} // namespace vontal::e2e
