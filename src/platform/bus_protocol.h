#pragma once
// The wire form of the suite bus for separate programs, over a Unix-domain socket of the same
// user: each frame is a 4-byte big-endian length (1 .. kMaxFrame, covering what follows), one type
// byte, and the fields separated by NUL bytes (suite texts never hold NUL). A peer must say HELLO
// with its name first; whatever breaks the form closes that peer.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvi::platform::busproto {

constexpr std::size_t kMaxFrame = 65536;
// Peers that said HELLO served at once; a HELLO beyond them closes its connection. A peer that
// said HELLO is never closed to make room for another.
constexpr std::size_t kMaxPeers = 64;
// A connection must complete its HELLO within kHelloWaitMs or is closed. At most kMaxGreeting
// connections wait for their HELLO at once, apart from the peers above: a new one beyond them
// takes the place of the oldest, so idle connections can neither lock the others out nor take
// the places of those that said HELLO.
constexpr std::size_t kMaxGreeting = 16;
constexpr int kHelloWaitMs = 2000;
// What a peer leaves unread waits first in its socket, whose buffer the manager keeps this small,
// then in the manager; a peer for which more than kMaxQueuedFrames frames or kMaxQueuedBytes bytes
// wait there is closed.
constexpr int kPeerSocketBuffer = 16384;
constexpr std::size_t kMaxQueuedFrames = 256;
constexpr std::size_t kMaxQueuedBytes = std::size_t(1) << 20;
// The longest the manager waits for separate programs to answer (registered message, activation).
constexpr int kAnswerWaitMs = 2000;
// The environment variable that tells a program started by the manager where the socket is.
constexpr const char* kSocketEnv = "TOLVI32_BUS";

enum Type : uint8_t {
    kHello = 1,     // peer -> hub: app                       (answered by ACK "0","1")
    kPublish = 2,   // peer -> hub: text                      its item changed
    kLink = 3,      // peer -> hub: source                    notify me of source's item
    kUnlink = 4,    // peer -> hub: source
    kNotify = 5,    // hub -> peer: source, text
    kRegMsg = 7,    // hub -> peer: name, wParam, seq         answered by ACK
    kAck = 8,       // both:        seq, result ("1" done, "0" not)
    kActivate = 9,  // hub -> peer: seq, restore ("1" when minimised); answered by ACK
    kGetStr = 10,   // peer -> hub: seq, key                  answered by STR
    kStr = 11,      // hub -> peer: seq, present ("1"/"0"), value
    kSetStr = 12,   // peer -> hub: key, value
};

struct Frame {
    uint8_t type = 0;
    std::vector<std::string> fields;
};

// The bytes of one frame; fields must not hold NUL. Empty when the frame would be too long.
std::string Encode(uint8_t type, const std::vector<std::string>& fields);

// Collects bytes as they arrive (in any pieces) and gives whole frames.
class FrameReader {
public:
    void Feed(const char* data, std::size_t size);
    // The next whole frame; nullopt when more bytes are needed or after an error.
    std::optional<Frame> Next();
    // A length of 0 or above kMaxFrame was announced; the stream cannot be trusted any more.
    bool Failed() const { return failed_; }

private:
    std::string buffer_;
    std::size_t start_ = 0;
    bool failed_ = false;
};

// Whether frame has the field count its type needs on the way to the hub.
bool WellFormedForHub(const Frame& frame);

// Where the manager listens: "$XDG_RUNTIME_DIR/tolvi32/QUVCMD", or "/tmp/tolvi32-<uid>/QUVCMD"
// when the runtime directory is not set.
std::string DefaultSocketPath();
// Creates dir (mode 0700) when missing, then checks it without following links: a directory,
// owned by this user, no access for group or others. False with the reason otherwise.
bool EnsurePrivateDirectory(const std::string& dir, std::string& why);
// The user id of the process at the other end of the connected Unix socket fd.
std::optional<uid_t> PeerUid(int fd);

}  // namespace tolvi::platform::busproto
