// Percentiles of the step intervals and click holds that the benchmarks print.
#pragma once

#include <algorithm>
#include <vector>

namespace varrel::bench {

struct IntervalStats {
    double p1 = 0;
    double p50 = 0;
    double p99 = 0;
    double max = 0;
};

// Nearest-rank percentiles of values (any unit); all zero for no values.
inline IntervalStats Percentiles(std::vector<double> values) {
    IntervalStats s;
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    auto at = [&values](double q) {
        return values[std::min(values.size() - 1, static_cast<std::size_t>(q * values.size()))];
    };
    s.p1 = at(0.01);
    s.p50 = at(0.50);
    s.p99 = at(0.99);
    s.max = values.back();
    return s;
}

}  // namespace varrel::bench
