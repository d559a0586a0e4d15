#include "kernel/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace tolvi::kernel {

namespace {

bool WriteAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= size_t(w);
    }
    return true;
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path) : path_(path) {
    if (path.empty() || path.back() == '/') return;
    const size_t slash = path.rfind('/');
    dir_ = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    static std::atomic<unsigned> serial{0};
    tmp_ = (dir_ == "/" ? "" : dir_) + "/." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
           std::to_string(serial++);

    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return;
    fd_ = ::open(tmp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    created_ = true;
    ok_ = !exists || ::fchmod(fd_, st.st_mode & 07777) == 0;
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    if (created_) ::unlink(tmp_.c_str());
}

bool AtomicFile::write(const void* data, size_t n) {
    ok_ = ok_ && WriteAll(fd_, static_cast<const uint8_t*>(data), n);
    return ok_;
}

bool AtomicFile::writeAt(uint64_t offset, const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (ok_ && n > 0) {
        const ssize_t w = ::pwrite(fd_, p, n, off_t(offset));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0)
            ok_ = false;
        else
            p += w, n -= size_t(w), offset += uint64_t(w);
    }
    return ok_;
}

bool AtomicFile::commit() {
    if (!ok_) return false;
    ok_ = ::fsync(fd_) == 0;
    ok_ = (::close(fd_) == 0) && ok_;
    fd_ = -1;
    if (!ok_ || ::rename(tmp_.c_str(), path_.c_str()) != 0) return ok_ = false;
    created_ = false;  // renamed: nothing left to remove
    // The rename is only durable once the directory entry is on disk. A file system that
    // cannot sync a directory has already done what it can.
    const int dfd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, const void* data, size_t n) {
    AtomicFile f(path);
    return f.write(data, n) && f.commit();
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= maxBytes;
    if (ok) {
        out.resize(size_t(st.st_size));
        size_t got = 0;
        while (ok && got < out.size()) {
            const ssize_t r = ::read(fd, out.data() + got, out.size() - got);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0)
                ok = false;
            else
                got += size_t(r);
        }
    }
    ::close(fd);
    return ok;
}

InputFile::InputFile(const std::string& path, size_t maxBytes) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= maxBytes) {
        size_ = size_t(st.st_size);
        // The file is read front to back, soon after: let the disk run ahead of the reader.
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    } else {
        ::close(fd_);
        fd_ = -1;
    }
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool InputFile::read(size_t pos, void* out, size_t n) const {
    if (fd_ < 0 || pos > size_ || n > size_ - pos) return false;
    auto* p = static_cast<uint8_t*>(out);
    while (n > 0) {
        const ssize_t r = ::pread(fd_, p, n, off_t(pos));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r, pos += size_t(r), n -= size_t(r);
    }
    return true;
}

}  // namespace tolvi::kernel
