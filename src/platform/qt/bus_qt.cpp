#include "platform/qt/bus_qt.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <set>

#include "platform/process_launcher.h"
#include "platform/qt/codec.h"
#include "platform/suite_bus.h"

namespace tolvi::platform {

namespace {

std::unique_ptr<BusServer>& theServer() {
    static std::unique_ptr<BusServer> server;
    return server;
}

void ScheduleDrain(int delayMs) {
    QTimer::singleShot(delayMs, qApp, [] {
        // Held by a modal window: look again shortly, the queue keeps its order.
        if (!suiteBus().DeliverPending()) ScheduleDrain(200);
    });
}

class QtProcessLauncher : public ProcessLauncher {
public:
    bool Start(const std::vector<std::string>& args) override {
        if (args.empty()) return false;
        QProcess process;
        process.setProgram(PathToQString(args[0]));
        QStringList rest;
        for (std::size_t i = 1; i < args.size(); ++i) rest << PathToQString(args[i]);
        process.setArguments(rest);
        // The program inherits TOLVI32_BUS from our environment (see StartBusServer).
        return process.startDetached();
    }
};

}  // namespace

void InstallQtBus() {
    static QtProcessLauncher launcher;
    SetProcessLauncher(&launcher);
    SetModalProbe([] { return QApplication::activeModalWidget() != nullptr; });
    suiteBus().SetScheduler([] { ScheduleDrain(0); });
}

struct BusServer::Peer {
    int id = 0;
    int fd = -1;
    QSocketNotifier* readable = nullptr;
    QSocketNotifier* writable = nullptr;
    busproto::FrameReader reader;
    std::string name;                  // registered source, "" before HELLO
    QDeadlineTimer helloBy;            // when the connection is closed unless it said HELLO
    std::map<std::string, int> links;  // source -> bus link
    std::deque<std::string> unsent;    // frames not yet taken by the peer, the first maybe in part
    std::size_t unsentBytes = 0;
    std::set<std::string> awaited;            // seqs of our questions still waiting for an answer
    std::map<std::string, std::string> acks;  // seq -> result, answers not yet collected
    bool dead = false;

    bool Open() const { return !dead; }
    // Open and still waiting for its HELLO.
    bool Greeting() const { return !dead && name.empty(); }
    // Open, and said HELLO.
    bool Served() const { return !dead && !name.empty(); }
};

BusServer::BusServer() {
    listener_ =
        suiteBus().ListenRegistered([this](uint32_t id, int32_t wParam) { OnRegistered(id, wParam); });
}

BusServer::~BusServer() {
    suiteBus().StopListening(listener_);
    // No more accepting first: a peer dropped below would otherwise resume it.
    delete acceptNotifier_;
    acceptNotifier_ = nullptr;
    for (auto& [id, peer] : peers_)
        if (!peer->dead) Drop(*peer);
    Reap();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(path_.c_str());
    }
}

bool BusServer::Listen(const std::string& path, std::string& why) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    if (!busproto::EnsurePrivateDirectory(dir, why)) return false;
    sockaddr_un addr{};
    if (path.size() >= sizeof addr.sun_path) {
        why = "socket path too long: " + path;
        return false;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    // Unix-domain only, in a file-system directory (never the abstract namespace, which has no
    // permissions).
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    ::unlink(path.c_str());  // a stale socket of an earlier run
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, 16) != 0) {
        why = std::strerror(errno);
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    path_ = path;
    acceptNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(acceptNotifier_, &QSocketNotifier::activated, this, [this] { Accept(); });
    retry_ = new QTimer(this);
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, [this] { ResumeAccepting(); });
    greeting_ = new QTimer(this);
    greeting_->setSingleShot(true);
    greeting_->setTimerType(Qt::PreciseTimer);  // not a little early, which would only wake us twice
    connect(greeting_, &QTimer::timeout, this, [this] { CloseSilent(); });
    return true;
}

std::size_t BusServer::PeerCount() const { return Count(&Peer::Open); }

std::size_t BusServer::Count(bool (Peer::*state)() const) const {
    std::size_t n = 0;
    for (const auto& [id, peer] : peers_)
        if ((peer.get()->*state)()) ++n;
    return n;
}

BusServer::Peer* BusServer::Find(int id) {
    auto it = peers_.find(id);
    return it == peers_.end() || it->second->dead ? nullptr : it->second.get();
}

void BusServer::Accept() {
    for (int taken = 0; taken < kAcceptBatch; ++taken) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the connection stays pending and would wake us
                // again at once, for ever. Look again when a peer leaves, or in a while.
                acceptNotifier_->setEnabled(false);
                retry_->start(kAcceptRetryMs);
            }
            return;
        }
        // Only this user may command the manager, whatever the file permissions say.
        const auto uid = busproto::PeerUid(fd);
        if (!uid || *uid != getuid()) {
            ::close(fd);
            continue;
        }
        if (Count(&Peer::Greeting) >= busproto::kMaxGreeting) MakeRoomToGreet();
        // A small socket buffer: what the peer leaves unread waits where it is counted.
        const int buffer = busproto::kPeerSocketBuffer;
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
        auto peer = std::make_unique<Peer>();
        peer->id = nextPeer_++;
        peer->fd = fd;
        peer->helloBy = QDeadlineTimer(busproto::kHelloWaitMs, Qt::PreciseTimer);
        const int id = peer->id;
        peer->readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        peer->writable = new QSocketNotifier(fd, QSocketNotifier::Write, this);
        peer->writable->setEnabled(false);
        connect(peer->readable, &QSocketNotifier::activated, this, [this, id] {
            if (Peer* p = Find(id)) ReadFrom(*p);
        });
        connect(peer->writable, &QSocketNotifier::activated, this, [this, id] {
            if (Peer* p = Find(id)) Flush(*p);
        });
        peers_[id] = std::move(peer);
        if (!greeting_->isActive()) WatchGreeting();
    }
}

void BusServer::MakeRoomToGreet() {
    // Peers are numbered in the order they came, so the first one waiting is the oldest. What
    // it has sent meanwhile is read first: a HELLO that has arrived is not lost.
    for (auto& [id, peer] : peers_) {
        if (Count(&Peer::Greeting) < busproto::kMaxGreeting) return;
        if (!peer->Greeting()) continue;
        ReadFrom(*peer);
        if (peer->Greeting()) Drop(*peer);
    }
}

void BusServer::CloseSilent() {
    for (auto& [id, peer] : peers_)
        if (peer->Greeting() && peer->helloBy.hasExpired()) Drop(*peer);
    WatchGreeting();
}

void BusServer::WatchGreeting() {
    for (const auto& [id, peer] : peers_) {
        if (!peer->Greeting()) continue;
        // The oldest waiting connection is the first whose time runs out.
        greeting_->start(std::chrono::milliseconds(std::max<qint64>(0, peer->helloBy.remainingTime())));
        return;
    }
    greeting_->stop();
}

void BusServer::ReadFrom(Peer& peer) {
    char buf[16384];
    bool closed = false;
    // Frames are taken after every read, so at most one unfinished frame is ever held for a
    // peer; a peer that keeps sending is read in turns (the notifier fires again while bytes wait).
    for (int reads = 0; reads < 16 && !peer.dead && !peer.reader.Failed(); ++reads) {
        const ssize_t n = ::recv(peer.fd, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            break;
        }
        peer.reader.Feed(buf, static_cast<std::size_t>(n));
        while (!peer.dead) {
            auto frame = peer.reader.Next();
            if (!frame) break;
            Handle(peer, *frame);
        }
    }
    if (!peer.dead && (closed || peer.reader.Failed())) Drop(peer);
}

void BusServer::Handle(Peer& peer, const busproto::Frame& frame) {
    using namespace busproto;
    auto& bus = suiteBus();
    if (!WellFormedForHub(frame)) return Drop(peer);
    if (peer.name.empty()) {
        // The places of the peers that said HELLO are never taken from them for a newcomer.
        if (frame.type != kHello || Count(&Peer::Served) >= kMaxPeers) return Drop(peer);
        const std::string& name = frame.fields[0];
        std::string upper = name;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        const int id = peer.id;
        SuiteBus::SourceHooks hooks;
        hooks.activate = [this, id](bool restore) {
            Peer* p = Find(id);
            if (!p) return false;
            const std::string seq = std::to_string(nextSeq_++);
            p->awaited.insert(seq);
            if (!Send(*p, kActivate, {seq, restore ? "1" : "0"})) return false;
            const auto result = AwaitAck(*p, seq, kAnswerWaitMs);
            return result && *result == "1";
        };
        // The manager's own name is never taken by a peer: its lines would run as ours.
        if (upper == "TOLVI32" || !bus.RegisterSource(name, std::move(hooks))) return Drop(peer);
        peer.name = name;
        Send(peer, kAck, {"0", "1"});
        return;
    }
    switch (frame.type) {
        case kPublish:
            bus.Publish(peer.name, frame.fields[0]);
            return;
        case kLink: {
            const std::string source = frame.fields[0];
            auto have = peer.links.find(source);
            if (have != peer.links.end() && bus.Linked(have->second)) return;
            const int id = peer.id;
            const int link = bus.Link(source, [this, id, source](const std::string& text) {
                if (Peer* p = Find(id)) Send(*p, kNotify, {source, text});
            });
            if (link) peer.links[source] = link;
            return;
        }
        case kUnlink: {
            auto it = peer.links.find(frame.fields[0]);
            if (it != peer.links.end()) {
                bus.Unlink(it->second);
                peer.links.erase(it);
            }
            return;
        }
        case kAck:
            // Only answers to our own questions are kept: unasked ones would pile up for ever.
            if (peer.awaited.count(frame.fields[0])) peer.acks[frame.fields[0]] = frame.fields[1];
            return;
        case kGetStr: {
            const auto value = bus.GetString(frame.fields[1]);
            Send(peer, kStr, {frame.fields[0], value ? "1" : "0", value.value_or("")});
            return;
        }
        case kSetStr:
            bus.SetString(frame.fields[0], frame.fields[1]);
            return;
        default:
            return Drop(peer);  // a second HELLO, or a frame only the hub sends
    }
}

// The event loop takes up what waits meanwhile.
void BusServer::ResumeAccepting() {
    if (!acceptNotifier_ || acceptNotifier_->isEnabled()) return;
    retry_->stop();
    acceptNotifier_->setEnabled(true);
}

bool BusServer::Send(Peer& peer, uint8_t type, const std::vector<std::string>& fields) {
    if (peer.dead) return false;
    std::string bytes = busproto::Encode(type, fields);
    if (bytes.empty()) return false;
    // A peer that stopped reading would make us hold its frames for ever.
    if (peer.unsent.size() >= busproto::kMaxQueuedFrames ||
        peer.unsentBytes + bytes.size() > busproto::kMaxQueuedBytes) {
        Drop(peer);
        return false;
    }
    peer.unsentBytes += bytes.size();
    peer.unsent.push_back(std::move(bytes));
    Flush(peer);
    return !peer.dead;
}

void BusServer::Flush(Peer& peer) {
    while (!peer.dead && !peer.unsent.empty()) {
        std::string& front = peer.unsent.front();
        const ssize_t n = ::send(peer.fd, front.data(), front.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;
            Drop(peer);
            return;
        }
        peer.unsentBytes -= static_cast<std::size_t>(n);
        if (static_cast<std::size_t>(n) == front.size())
            peer.unsent.pop_front();
        else
            front.erase(0, static_cast<std::size_t>(n));
    }
    if (!peer.dead) peer.writable->setEnabled(!peer.unsent.empty());
}

void BusServer::Drop(Peer& peer) {
    if (peer.dead) return;
    peer.dead = true;
    auto& bus = suiteBus();
    for (const auto& [source, link] : peer.links) bus.Unlink(link);
    peer.links.clear();
    if (!peer.name.empty()) bus.UnregisterSource(peer.name);
    peer.readable->setEnabled(false);
    peer.writable->setEnabled(false);
    // Not deleted here: we may be inside one of its signals or waits.
    peer.readable->deleteLater();
    peer.writable->deleteLater();
    ::close(peer.fd);
    peer.fd = -1;
    QTimer::singleShot(0, this, [this] { Reap(); });
    ResumeAccepting();  // a place and a descriptor are free again
}

void BusServer::Reap() {
    for (auto it = peers_.begin(); it != peers_.end();) {
        if (it->second->dead)
            it = peers_.erase(it);
        else
            ++it;
    }
}

std::optional<std::string> BusServer::AwaitAck(Peer& peer, const std::string& seq, int budgetMs) {
    const int id = peer.id;
    QDeadlineTimer deadline(budgetMs);
    std::optional<std::string> result;
    for (;;) {
        Peer* p = Find(id);
        if (!p) return std::nullopt;
        auto it = p->acks.find(seq);
        if (it != p->acks.end()) {
            result = it->second;
            break;
        }
        const qint64 left = deadline.remainingTime();
        if (left <= 0) break;
        // No nested event loop: only this peer's bytes are read meanwhile, in order.
        pollfd pfd{p->fd, static_cast<short>(POLLIN | (p->unsent.empty() ? 0 : POLLOUT)), 0};
        if (::poll(&pfd, 1, static_cast<int>(left)) <= 0) continue;
        if (pfd.revents & POLLOUT) Flush(*p);
        if ((p = Find(id)) && (pfd.revents & (POLLIN | POLLHUP | POLLERR))) ReadFrom(*p);
    }
    // An answer that comes after we stopped waiting is not kept.
    if (Peer* p = Find(id)) {
        p->awaited.erase(seq);
        p->acks.erase(seq);
    }
    return result;
}

void BusServer::OnRegistered(uint32_t id, int32_t wParam) {
    const std::string name = suiteBus().MessageName(id);
    std::vector<std::pair<int, std::string>> waiting;
    for (auto& [peerId, peer] : peers_) {
        if (!peer->Served()) continue;
        const std::string seq = std::to_string(nextSeq_++);
        peer->awaited.insert(seq);
        if (Send(*peer, busproto::kRegMsg, {name, std::to_string(wParam), seq}))
            waiting.emplace_back(peerId, seq);
    }
    // One bound for all of them together: a hung program must not hold the manager long.
    QDeadlineTimer deadline(busproto::kAnswerWaitMs);
    for (const auto& [peerId, seq] : waiting) {
        Peer* p = Find(peerId);
        if (!p) continue;
        AwaitAck(*p, seq, static_cast<int>(std::max<qint64>(0, deadline.remainingTime())));
    }
}

bool StartBusServer(std::string& why, const std::string& path) {
    StopBusServer();
    auto server = std::make_unique<BusServer>();
    if (!server->Listen(path.empty() ? busproto::DefaultSocketPath() : path, why)) return false;
    theServer() = std::move(server);
    // Every program started from now on, by whatever means, inherits where the bus is.
    ::setenv(busproto::kSocketEnv, theServer()->Path().c_str(), 1);
    return true;
}

std::string BusSocketPath() { return theServer() ? theServer()->Path() : std::string(); }

void StopBusServer() {
    if (!theServer()) return;
    theServer().reset();
    ::unsetenv(busproto::kSocketEnv);
}

}  // namespace tolvi::platform
