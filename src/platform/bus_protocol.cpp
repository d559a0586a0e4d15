#include "platform/bus_protocol.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tolvi::platform::busproto {

std::string Encode(uint8_t type, const std::vector<std::string>& fields) {
    std::string payload;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) payload.push_back('\0');
        payload += fields[i];
    }
    const std::size_t length = payload.size() + 1;
    if (length > kMaxFrame) return {};
    std::string out;
    out.reserve(4 + length);
    out.push_back(static_cast<char>((length >> 24) & 0xFF));
    out.push_back(static_cast<char>((length >> 16) & 0xFF));
    out.push_back(static_cast<char>((length >> 8) & 0xFF));
    out.push_back(static_cast<char>(length & 0xFF));
    out.push_back(static_cast<char>(type));
    out += payload;
    return out;
}

void FrameReader::Feed(const char* data, std::size_t size) {
    if (failed_) return;
    // Drop what has been consumed before the buffer grows.
    if (start_ > 0 && start_ >= buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    buffer_.append(data, size);
}

std::optional<Frame> FrameReader::Next() {
    if (failed_) return std::nullopt;
    const std::size_t have = buffer_.size() - start_;
    if (have < 4) return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(buffer_.data() + start_);
    const std::size_t length =
        (std::size_t(p[0]) << 24) | (std::size_t(p[1]) << 16) | (std::size_t(p[2]) << 8) | p[3];
    if (length == 0 || length > kMaxFrame) {
        failed_ = true;
        buffer_.clear();
        start_ = 0;
        return std::nullopt;
    }
    if (have < 4 + length) return std::nullopt;
    Frame frame;
    frame.type = p[4];
    const std::string payload = buffer_.substr(start_ + 5, length - 1);
    std::size_t pos = 0;
    for (;;) {
        const std::size_t nul = payload.find('\0', pos);
        if (nul == std::string::npos) {
            frame.fields.push_back(payload.substr(pos));
            break;
        }
        frame.fields.push_back(payload.substr(pos, nul - pos));
        pos = nul + 1;
    }
    start_ += 4 + length;
    return frame;
}

bool WellFormedForHub(const Frame& frame) {
    switch (frame.type) {
        case kHello:
        case kPublish:
        case kLink:
        case kUnlink:
            return frame.fields.size() == 1;
        case kAck:
        case kGetStr:
        case kSetStr:
            return frame.fields.size() == 2;
        default:
            return false;
    }
}

std::string DefaultSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/tolvi32/QUVCMD";
    return "/tmp/tolvi32-" + std::to_string(getuid()) + "/QUVCMD";
}

bool EnsurePrivateDirectory(const std::string& dir, std::string& why) {
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        why = "cannot create " + dir + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0) {
        why = "cannot examine " + dir + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) {
        why = dir + " is not a directory";
        return false;
    }
    if (st.st_uid != getuid()) {
        why = dir + " belongs to another user";
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        why = dir + " is open to other users";
        return false;
    }
    return true;
}

std::optional<uid_t> PeerUid(int fd) {
    struct ucred cred {};
    socklen_t len = sizeof cred;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof cred) return std::nullopt;
    return cred.uid;
}

}  // namespace tolvi::platform::busproto
