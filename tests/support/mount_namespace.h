#pragma once
// Faults of the file system made for one test: a child process with a mount namespace of its
// own, where a small file system can be mounted and filled without touching the machine's.
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/child_process.h"

namespace tolvi::test {

// The exit status of a child that found no mount namespace or mount to be had here.
constexpr int kNoMountNamespace = 77;

// How long a child's body may take before it is killed as hung.
constexpr int kChildWaitMs = 60000;

// Runs `body` in a child process that has a mount namespace of its own; its exit status (the
// body's return value), kNoMountNamespace, or 100 when it did not exit by itself in time.
template <class F>
int InOwnMountNamespace(F body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            ::_exit(kNoMountNamespace);
        ::_exit(body());
    }
    // A child of a program with threads can hang where another thread held a lock at the fork.
    const std::optional<int> status = AwaitChild(pid, kChildWaitMs, "the child with a mount namespace");
    return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : 100;
}

// Inside InOwnMountNamespace: mounts a small file system at the directory dir and fills it to
// the last byte with the file dir/fill, so that whatever is written there next finds the disk
// full. False when it cannot be mounted.
inline bool MountFullDisk(const std::string& dir) {
    if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0) return false;
    FILE* f = std::fopen((dir + "/fill").c_str(), "wb");
    if (!f) return false;
    static const char block[4096] = {};
    while (std::fwrite(block, 1, sizeof block, f) == sizeof block) {
    }
    std::fclose(f);
    return true;
}

}  // namespace tolvi::test
