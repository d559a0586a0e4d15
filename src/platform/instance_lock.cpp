#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/paths.h"

namespace tolvi::platform {

std::string UserConfigDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return JoinPath(xdg, "tolvi32");
    return JoinPath(JoinPath(HomeDirectory(), ".config"), "tolvi32");
}

std::string DefaultInstanceLockPath() {
    const char* run = std::getenv("XDG_RUNTIME_DIR");
    if (run && *run == '/' && IsDirectory(run)) return JoinPath(run, "tolvi32.lock");
    return JoinPath(UserConfigDirectory(), "tolvi32.lock");
}

InstanceLock::InstanceLock(std::string path)
    : path_(path.empty() ? DefaultInstanceLockPath() : std::move(path)) {}

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::TryAcquire() {
    if (fd_ >= 0) return true;
    const std::string dir = DirectoryPart(path_);
    if (!dir.empty() && !IsDirectory(dir)) {
        // The configuration directory may not exist before the first run; the parents must.
        ::mkdir(dir.c_str(), 0700);
    }
    // O_NOFOLLOW: a link planted at the lock's name must not make us create files elsewhere.
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        return !taken;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::Release() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace tolvi::platform
