#include "base/file_replace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <vector>

namespace tolvi::base {

namespace {

std::atomic<bool> gNamedOnly{false};

// The file a chain of symbolic links ends at (the path itself when it is no link); it need not
// exist. A link in the last component is what matters: the rename replaces that entry.
std::string FollowLinks(const std::string& path, int& err) {
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::vector<char> buf(size_t(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
        if (n < 0 || size_t(n) >= buf.size()) {
            err = n < 0 ? errno : ENAMETOOLONG;
            return p;
        }
        const std::string to(buf.data(), size_t(n));
        const size_t slash = p.rfind('/');
        if (to.front() == '/' || slash == std::string::npos)
            p = to;
        else
            p.replace(slash + 1, std::string::npos, to);
    }
    err = ELOOP;
    return p;
}

// Errors of an O_TMPFILE open that mean "not here": the kernel or the file system has no
// unnamed files.
bool NoUnnamedFiles(int err) { return err == EOPNOTSUPP || err == EISDIR || err == EINVAL || err == ENOENT; }

// The names a temporary of `name` may have: ".<name>~tmp", and where something that is not ours
// holds that name, ".<name>~tmp1" to ".<name>~tmp7". Each within the longest name a directory
// entry may have.
constexpr int kTempNames = 8;
std::string TempName(const std::string& name, int i) {
    if (i == 0) return "." + name.substr(0, 250) + "~tmp";
    return "." + name.substr(0, 249) + "~tmp" + std::to_string(i);
}

}  // namespace

FileReplacement::~FileReplacement() { Abandon(); }

int FileReplacement::Begin(const std::string& target) {
    Abandon();
    error_ = 0;
    int err = 0;
    destination_ = target.empty() ? target : FollowLinks(target, err);
    if (target.empty()) err = ENOENT;
    if (err) return error_ = err;

    const size_t slash = destination_.rfind('/');
    const std::string dir = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : destination_.substr(0, slash);
    name_ = slash == std::string::npos ? destination_ : destination_.substr(slash + 1);
    if (name_.empty() || name_ == "." || name_ == "..") return error_ = EISDIR;

    struct stat st {};
    const bool exists = ::stat(destination_.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return error_ = errno;
    if (exists) {
        if (!S_ISREG(st.st_mode)) return error_ = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        // The rename would get round the file's own permissions: ask as a write to it would.
        if (::faccessat(AT_FDCWD, destination_.c_str(), W_OK, AT_EACCESS) != 0) return error_ = errno;
    }
    dirFd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ < 0) {
        error_ = errno;
        Abandon();
        return error_;
    }
    const auto fail = [this](int e) {
        Abandon();
        return error_ = e;
    };
    // Every name a crashed writer may have left is cleared; the first that is free is ours.
    temp_.clear();
    for (int i = 0; i < kTempNames; ++i) {
        const std::string name = TempName(name_, i);
        bool taken = false;
        if (const int e = ClearStale(name, taken)) return fail(e);
        if (!taken && temp_.empty()) temp_ = name;
    }
    if (temp_.empty()) return fail(EEXIST);

    if (!gNamedOnly) {
        fd_ = ::openat(dirFd_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd_ < 0 && !NoUnnamedFiles(errno)) return fail(errno);
    }
    if (fd_ < 0) {
        fd_ = ::openat(dirFd_, temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0) return fail(errno == EEXIST ? EBUSY : errno);
        named_ = true;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) return fail(EBUSY);
    if (exists) {
        // The new file takes the old one's place with its owner (where we may give it) and
        // permission bits; the owner first, as a change of owner clears set-id bits.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) (void)!::fchown(fd_, st.st_uid, st.st_gid);
        if (::fchmod(fd_, st.st_mode & 07777) != 0) return fail(errno);
    }
    return 0;
}

int FileReplacement::ClearStale(const std::string& temp, bool& taken) {
    taken = false;
    struct stat st {};
    if (::fstatat(dirFd_, temp.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return 0;
    if (!S_ISREG(st.st_mode)) {
        // No writer makes anything else (a directory, a link, a pipe): it is the user's, it stays.
        taken = true;
        return 0;
    }
    int fd = ::openat(dirFd_, temp.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) fd = ::openat(dirFd_, temp.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    // A writer that is still running holds its lock; a crashed one's lock went with it.
    const bool live = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (!live) taken = ::unlinkat(dirFd_, temp.c_str(), 0) != 0;
    if (fd >= 0) ::close(fd);
    return live ? EBUSY : 0;
}

int FileReplacement::Write(const void* data, size_t n) { return Put(data, n, nullptr); }

int FileReplacement::WriteAt(uint64_t offset, const void* data, size_t n) { return Put(data, n, &offset); }

int FileReplacement::Put(const void* data, size_t n, uint64_t* offset) {
    if (!error_ && fd_ < 0) error_ = EBADF;
    const auto* p = static_cast<const char*>(data);
    while (!error_ && n > 0) {
        const ssize_t w = offset ? ::pwrite(fd_, p, n, off_t(*offset)) : ::write(fd_, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            const int e = w < 0 ? errno : EIO;
            Abandon();
            error_ = e;
            break;
        }
        p += w;
        n -= size_t(w);
        if (offset) *offset += uint64_t(w);
    }
    return error_;
}

void FileReplacement::StartWriteback() {
    if (error_ || fd_ < 0) return;
    const off_t end = ::lseek(fd_, 0, SEEK_CUR);
    if (end <= off_t(writtenBack_)) return;
    ::sync_file_range(fd_, off_t(writtenBack_), end - off_t(writtenBack_), SYNC_FILE_RANGE_WRITE);
    writtenBack_ = uint64_t(end);
}

int FileReplacement::Commit() {
    if (!error_ && fd_ < 0) error_ = EBADF;
    const auto fail = [this](int e) {
        Abandon();
        return error_ = e;
    };
    if (error_) return fail(error_);
    if (::fsync(fd_) != 0) return fail(errno);
    if (!named_) {
        // An unnamed file gets its name only now, complete and on the disk. Through /proc any
        // user may link it; without /proc only a privileged one can.
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        const auto link = [&] {
            int r = ::linkat(AT_FDCWD, self.c_str(), dirFd_, temp_.c_str(), AT_SYMLINK_FOLLOW);
            if (r != 0 && errno == ENOENT) r = ::linkat(fd_, "", dirFd_, temp_.c_str(), AT_EMPTY_PATH);
            return r;
        };
        int r = link();
        if (r != 0 && errno == EEXIST) {  // left by a crash since Begin looked
            bool taken = false;
            if (const int e = ClearStale(temp_, taken)) return fail(e);
            r = link();
        }
        if (r != 0) return fail(errno);
        named_ = true;
    }
    if (::renameat(dirFd_, temp_.c_str(), dirFd_, name_.c_str()) != 0) return fail(errno);
    named_ = false;
    // The rename lasts only once the directory is on the disk too; a file system that cannot
    // sync a directory has done what it can.
    ::fsync(dirFd_);
    Close();
    return 0;
}

void FileReplacement::Abandon() {
    // Removed while the lock is still held, so no other writer takes it meanwhile.
    if (named_ && dirFd_ >= 0) ::unlinkat(dirFd_, temp_.c_str(), 0);
    named_ = false;
    Close();
}

void FileReplacement::Close() {
    if (fd_ >= 0) ::close(fd_);
    if (dirFd_ >= 0) ::close(dirFd_);
    fd_ = dirFd_ = -1;
    writtenBack_ = 0;
}

int ReplaceFile(const std::string& target, const void* data, size_t n) {
    FileReplacement file;
    if (const int e = file.Begin(target)) return e;
    if (const int e = file.Write(data, n)) return e;
    return file.Commit();
}

void UseNamedTemporaryForTests(bool on) { gNamedOnly = on; }

}  // namespace tolvi::base
