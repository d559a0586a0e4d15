#pragma once
// The suite bus on the Qt event loop, and its bridge to separate programs over a local socket.
#include <QObject>
#include <map>
#include <memory>
#include <string>

#include "platform/bus_protocol.h"

class QSocketNotifier;
class QTimer;

namespace tolvi::platform {

// Drains the bus queue from the event loop (retrying while a modal window holds it), answers
// "is a modal window open" from Qt, and starts separate programs detached, each told where the
// bus socket is.
void InstallQtBus();

// Listens on a Unix-domain socket for separate programs of the suite. Each connection is checked to come from
// this user; it must register a name first (which becomes a source on the bus), and may then publish, link to
// other sources, and read and write the string board. Registered messages and activation requests are passed
// on to it and its answer awaited for a bounded time. A connection that has not said HELLO within
// busproto::kHelloWaitMs is closed, and those still waiting for theirs have places of their own
// (busproto::kMaxGreeting), so connections that never speak cannot keep the suite's programs out. What
// one peer can make the server hold is bounded (busproto::kMaxPeers, kMaxQueuedFrames, kMaxQueuedBytes,
// kMaxFrame); when descriptors run out the server stops accepting until a peer leaves or a second has
// passed, instead of waking for ever.
class BusServer : public QObject {
public:
    BusServer();
    ~BusServer() override;
    // Listens at path, whose directory must be private to this user (created when missing). A
    // stale socket file there is removed: call only while holding the single-instance lock.
    bool Listen(const std::string& path, std::string& why);
    std::string Path() const { return path_; }
    std::size_t PeerCount() const;

private:
    struct Peer;
    void Accept();
    void ResumeAccepting();
    // The connections in a state of Peer's: Open, Greeting (waiting for their HELLO) or Served.
    std::size_t Count(bool (Peer::*state)() const) const;
    // Frees a place among the connections waiting for their HELLO.
    void MakeRoomToGreet();
    // Closes the connections whose time for HELLO is over, and looks again when the next one's is.
    void CloseSilent();
    void WatchGreeting();
    void ReadFrom(Peer& peer);
    void Flush(Peer& peer);
    void Handle(Peer& peer, const busproto::Frame& frame);
    bool Send(Peer& peer, uint8_t type, const std::vector<std::string>& fields);
    void Drop(Peer& peer);
    void Reap();
    Peer* Find(int id);
    // Waits for peer's answer to seq; the answer's result, or nullopt on timeout or close.
    std::optional<std::string> AwaitAck(Peer& peer, const std::string& seq, int budgetMs);
    void OnRegistered(uint32_t id, int32_t wParam);

    static constexpr int kAcceptRetryMs = 1000;
    // Connections taken at one wake-up: a stream of them must not keep the peers waiting.
    static constexpr int kAcceptBatch = 64;
    int listenFd_ = -1;
    QSocketNotifier* acceptNotifier_ = nullptr;
    QTimer* retry_ = nullptr;     // looks again after accepting failed
    QTimer* greeting_ = nullptr;  // ends the next connection's time for HELLO
    std::string path_;
    std::map<int, std::unique_ptr<Peer>> peers_;
    int nextPeer_ = 1;
    int nextSeq_ = 1;
    int listener_ = 0;
};

// Starts the manager's bus server at path, by default DefaultSocketPath() (see
// BusServer::Listen), and names it in TOLVI32_BUS to every program started from then on.
// Separate programs are unreachable when it fails; the manager goes on without them.
bool StartBusServer(std::string& why, const std::string& path = "");
// The running server's socket path, "" when none.
std::string BusSocketPath();
// Stops the server and takes TOLVI32_BUS away again.
void StopBusServer();

}  // namespace tolvi::platform
