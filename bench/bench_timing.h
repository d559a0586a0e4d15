#pragma once
// The figures every benchmark reports: a run's time, the first run in this process (what a user
// waits for) and the best of the runs.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

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

// The raw work a file save is measured against: bytes that are ready before the clock starts,
// written to path and synced. The time of the open, the writes and the sync.
inline double WriteAndSync(const std::string& path, const std::vector<char>& bytes) {
    const auto t0 = Clock::now();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w <= 0) break;
        done += size_t(w);
    }
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return Seconds(t0, Clock::now());
}

}  // namespace bench
