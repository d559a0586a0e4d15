#pragma once
// One manager per user: the running manager holds an exclusive lock on a file in the user's
// private runtime directory. The lock goes with the process, so a crash leaves no stale lock.
#include <string>

namespace tolvi::platform {

class InstanceLock {
public:
    // path: the lock file; "" gives DefaultInstanceLockPath().
    explicit InstanceLock(std::string path = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False only when another holder has the lock. A lock file that cannot be opened at all
    // tells nothing about other instances: the result is then true with Held() false.
    bool TryAcquire();
    void Release();
    bool Held() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

// "$XDG_RUNTIME_DIR/tolvi32.lock", or "tolvi32.lock" in the user's configuration directory when
// there is no runtime directory.
std::string DefaultInstanceLockPath();
// The user's configuration directory for the program: $XDG_CONFIG_HOME/tolvi32, default
// ~/.config/tolvi32 (not created here).
std::string UserConfigDirectory();

}  // namespace tolvi::platform
