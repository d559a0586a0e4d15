#include "kernel/file_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tolvi::kernel {

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t maxBytes) {
    const InputFile file(path, maxBytes);
    if (!file.open()) return false;
    out.resize(file.size());
    return file.read(0, out.data(), out.size());
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
