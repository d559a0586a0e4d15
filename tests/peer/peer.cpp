// Usage: tolvi_test_peer <socket> <step>...   Steps, run in order:
//   hello NAME | link SOURCE | publish TEXT | setstr KEY VALUE | getstr KEY | await-notify | serve N
// Prints one line per answer it receives ("ack ...", "str ...", "notify SOURCE TEXT",
// "regmsg NAME WPARAM", "activate RESTORE") and exits 0, 2 when the manager closed the link, or 3
// when it waited kWaitSeconds for the manager in vain (so a peer left behind never waits for ever).
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/bus_protocol.h"

using namespace tolvi::platform::busproto;

namespace {

// The longest wait for the manager: to take the connection, a frame or an answer.
constexpr int kWaitSeconds = 30;

int gFd = -1;
FrameReader gReader;

bool SendFrame(uint8_t type, const std::vector<std::string>& fields) {
    const std::string bytes = Encode(type, fields);
    return ::send(gFd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// The next frame from the manager; exits 2 when the connection ends.
Frame Receive() {
    for (;;) {
        if (auto f = gReader.Next()) return *f;
        char buf[4096];
        const ssize_t n = ::recv(gFd, buf, sizeof buf, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            std::printf("timed out\n");
            std::fflush(stdout);
            std::exit(3);
        }
        if (n <= 0) {
            std::printf("closed\n");
            std::fflush(stdout);
            std::exit(2);
        }
        gReader.Feed(buf, static_cast<std::size_t>(n));
    }
}

// Answers what the manager asks meanwhile; returns the first frame of the wanted type.
Frame ReceiveType(uint8_t want) {
    for (;;) {
        Frame f = Receive();
        if (f.type == kRegMsg && f.fields.size() == 3) {
            std::printf("regmsg %s %s\n", f.fields[0].c_str(), f.fields[1].c_str());
            SendFrame(kAck, {f.fields[2], "1"});
        } else if (f.type == kActivate && f.fields.size() == 2) {
            std::printf("activate %s\n", f.fields[1].c_str());
            SendFrame(kAck, {f.fields[0], "1"});
        }
        if (f.type == want) return f;
        if (want == 0 && (f.type == kRegMsg || f.type == kActivate)) return f;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    gFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    // Bounds the connection (a full listen queue), every send and every receive alike.
    const timeval bound{kWaitSeconds, 0};
    ::setsockopt(gFd, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
    ::setsockopt(gFd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, argv[1], sizeof addr.sun_path - 1);
    if (::connect(gFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return 1;
    for (int i = 2; i < argc; ++i) {
        const std::string step = argv[i];
        auto arg = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (step == "hello") {
            SendFrame(kHello, {arg()});
            const Frame f = ReceiveType(kAck);
            std::printf("ack %s\n", f.fields.size() > 1 ? f.fields[1].c_str() : "");
        } else if (step == "link") {
            SendFrame(kLink, {arg()});
        } else if (step == "publish") {
            SendFrame(kPublish, {arg()});
        } else if (step == "setstr") {
            const std::string key = arg();
            SendFrame(kSetStr, {key, arg()});
        } else if (step == "getstr") {
            SendFrame(kGetStr, {"7", arg()});
            const Frame f = ReceiveType(kStr);
            std::printf("str %s %s\n", f.fields[1].c_str(), f.fields[2].c_str());
        } else if (step == "await-notify") {
            const Frame f = ReceiveType(kNotify);
            std::printf("notify %s %s\n", f.fields[0].c_str(), f.fields[1].c_str());
        } else if (step == "serve") {
            for (int n = std::stoi(arg()); n > 0; --n) ReceiveType(0);
        }
        std::fflush(stdout);
    }
    ::close(gFd);
    return 0;
}
