#pragma once
// Waits for a child process within a bound: no test waits for a child without end, and none
// leaves one running behind it. Header only, for the tests that stand on the standard library.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace tolvi::test {

// The wait status of the child pid once it has ended, waiting up to ms and running `meanwhile`
// between looks (a short sleep when none is given). A child still running then fails the test,
// naming `what`, and is killed and reaped; nullopt.
inline std::optional<int> AwaitChild(pid_t pid, int ms, const std::string& what,
                                     const std::function<void()>& meanwhile = nullptr) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    int status = 0;
    for (;;) {
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid) return status;
        if (ended < 0 && errno != EINTR) {
            ADD_FAILURE() << what << ": waitpid: " << std::strerror(errno);
            return std::nullopt;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        if (meanwhile)
            meanwhile();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ADD_FAILURE() << what << ": the child process was still running after " << ms << " ms and was killed";
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return std::nullopt;
}

}  // namespace tolvi::test
