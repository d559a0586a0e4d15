#include "platform/errors.h"

#include <cerrno>

#include "platform/paths.h"

namespace tolvi::platform {

namespace {
std::string& pending() {
    static std::string text;
    return text;
}
}  // namespace

const std::string& ErrDescription() { return pending(); }
void SetErrDescription(std::string text) { pending() = std::move(text); }
void ClearErr() { pending().clear(); }

// The wording of the old run-time errors, which users and the box titles know.
std::string ErrnoDescription(int err) {
    switch (err) {
        case 0:
            return "";
        case ENOENT:
            return "File not found";
        case ENOTDIR:
            return "Path not found";
        case EACCES:
        case EPERM:
        case EROFS:
            return "Permission denied";
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return "Disk full";
        case EMFILE:
        case ENFILE:
            return "Too many files";
        case EEXIST:
            return "File already exists";
        case EIO:
            return "Device I/O error";
        case ENAMETOOLONG:
        case EBADF:
            return "Bad file name or number";
        case EBUSY:
        case ETXTBSY:
            return "File already open";
        default:
            return "Path/File access error";
    }
}

void SetErrFromErrno(int err) { SetErrDescription(ErrnoDescription(err)); }

void SetErrFromErrno(int err, const std::string& path) {
    if (err == ENOENT) {
        std::string dir = DirectoryPart(path);
        if (!dir.empty() && !IsDirectory(dir)) {
            SetErrDescription("Path not found");
            return;
        }
    }
    SetErrFromErrno(err);
}

}  // namespace tolvi::platform
