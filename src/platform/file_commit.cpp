#include "platform/file_commit.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tolvi::platform::detail {

bool BeginReplace(const std::string& target, PendingFile& file, int& err) {
    AbandonReplace(file);
    file = PendingFile{};
    file.replacement = std::make_unique<base::FileReplacement>();
    err = file.replacement->Begin(target);
    if (err) return false;
    file.target = file.replacement->Destination();
    // A buffered stream of its own over the temporary, for the many small writes of text.
    const int fd = ::fcntl(file.replacement->Descriptor(), F_DUPFD_CLOEXEC, 0);
    file.stream = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file.stream) {
        err = errno ? errno : ENOMEM;
        if (fd >= 0) ::close(fd);
        AbandonReplace(file);
        return false;
    }
    return true;
}

bool CommitReplace(PendingFile& file, int& err) {
    if (!file.stream || !file.replacement) {
        err = EBADF;
        AbandonReplace(file);
        return false;
    }
    err = 0;
    if (std::fflush(file.stream) != 0 || std::ferror(file.stream)) err = errno ? errno : EIO;
    if (std::fclose(file.stream) != 0 && !err) err = errno ? errno : EIO;
    file.stream = nullptr;
    if (!err) err = file.replacement->Commit();
    AbandonReplace(file);
    return err == 0;
}

void AbandonReplace(PendingFile& file) {
    if (file.stream) std::fclose(file.stream);
    file.stream = nullptr;
    if (file.replacement) file.replacement->Abandon();
    file.replacement.reset();
}

}  // namespace tolvi::platform::detail
