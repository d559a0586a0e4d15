#pragma once
// The figures every benchmark reports: a run's time, the first run in this process (what a user
// waits for) and the best of the runs.
#include <algorithm>
#include <chrono>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

struct Timing {
    double first = -1;
    double best = 1e30;
    int runs = 0;
    void Add(double s) {
        if (first < 0) first = s;
        best = std::min(best, s);
        ++runs;
    }
};

}  // namespace bench
