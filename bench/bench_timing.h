#pragma once
// The figures every benchmark reports: a run's time, the first run in this process (what a user
// waits for) and the best of the runs; the raw work a file save or load is measured against; the
// heap a loaded database holds; runs of this program again as a fresh process; and the scratch
// directory a benchmark's files go to.
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/arena.h"

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

// The raw work a file load is measured against, its honest floor: the file read whole into a
// reused, page-aligned buffer that is allocated and paged in before any clock starts, in 1 MiB
// pieces, so only the reading is timed.
class ReadBuffer {
public:
    static constexpr size_t kPiece = size_t(1) << 20;
    explicit ReadBuffer(size_t n) : size_(n) {
        const size_t rounded = (std::max<size_t>(n, 1) + 4095) / 4096 * 4096;
        data_ = static_cast<char*>(std::aligned_alloc(4096, rounded));
        if (data_) std::memset(data_, 0, rounded);
    }
    ~ReadBuffer() { std::free(data_); }
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;

    bool ReadFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || !data_) return false;
        size_t done = 0;
        while (done < size_) {
            const ssize_t r = ::read(fd, data_ + done, std::min(kPiece, size_ - done));
            if (r <= 0) break;
            done += size_t(r);
        }
        ::close(fd);
        asm volatile("" : : "r"(data_) : "memory");  // the bytes count as used
        return done == size_;
    }

private:
    char* data_ = nullptr;
    size_t size_;
};

// A fresh process's part of the raw read (what RunSelf runs): the first read of path in this
// process, into a buffer made ready beforehand; prints its time in seconds. 1 when it fails.
inline int FreshRawRead(const std::string& path) {
    struct stat st {};
    ReadBuffer buf(::stat(path.c_str(), &st) == 0 ? size_t(st.st_size) : 0);
    const auto t0 = Clock::now();
    if (!buf.ReadFile(path)) return 1;
    std::printf("%.9f\n", Seconds(t0, Clock::now()));
    return 0;
}

// A new directory for a benchmark's files, named after `name`, in TOLVI_BENCH_DIR (by default
// /tmp); "" when it cannot be made.
inline std::string MakeBenchDir(const std::string& name) {
    const char* dir = std::getenv("TOLVI_BENCH_DIR");
    std::string path = std::string(dir ? dir : "/tmp") + "/" + name + "-XXXXXX";
    return ::mkdtemp(path.data()) ? path : "";
}

// The heap's bytes in use, and the kernel's arenas (mapped beside the heap) whole.
inline int64_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return int64_t(m.uordblks + m.hblkhd + tolvi::kernel::Arena::MappedBytes());
}

// Runs this program again with `args` and gives its standard output; "" when it fails.
inline std::string RunSelf(const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe(fds) != 0) return "";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        std::vector<char*> argv{const_cast<char*>("bench")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv("/proc/self/exe", argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string out;
    char buf[256];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, size_t(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? out : "";
}

// How many fresh processes a figure takes: TOLVI_BENCH_FRESH, default 7.
inline int FreshRuns() {
    const char* env = std::getenv("TOLVI_BENCH_FRESH");
    return std::max(1, env ? std::atoi(env) : 7);
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace bench
