#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "kernel/kernel.h"
#include "platform/bus_protocol.h"
#include "platform/qt/bus_qt.h"
#include "platform/suite_bus.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"

namespace tolvi::platform {
namespace {

using namespace busproto;

using test::WaitFor;

TEST(BusFrames, ReaderTakesFramesInAnyPieces) {
    const std::string bytes = Encode(kPublish, {"All,UP"}) + Encode(kSetStr, {"TOLVIAUTO", ",QUVSCHED"});
    for (std::size_t cut : {std::size_t{1}, std::size_t{3}, std::size_t{7}, bytes.size()}) {
        FrameReader reader;
        std::vector<Frame> frames;
        for (std::size_t at = 0; at < bytes.size(); at += cut) {
            reader.Feed(bytes.data() + at, std::min(cut, bytes.size() - at));
            while (auto f = reader.Next()) frames.push_back(*f);
        }
        ASSERT_EQ(frames.size(), 2u) << cut;
        EXPECT_EQ(frames[0].type, kPublish);
        EXPECT_EQ(frames[0].fields, std::vector<std::string>{"All,UP"});
        EXPECT_EQ(frames[1].fields, (std::vector<std::string>{"TOLVIAUTO", ",QUVSCHED"}));
    }
}

TEST(BusFrames, BadLengthsAndShapes) {
    for (const std::string& header : {std::string("\0\0\0\0", 4), std::string("\0\1\0\1", 4)}) {
        FrameReader reader;
        reader.Feed(header.data(), header.size());
        EXPECT_FALSE(reader.Next());
        EXPECT_TRUE(reader.Failed());
    }
    EXPECT_TRUE(Encode(kPublish, {std::string(kMaxFrame, 'x')}).empty());
    EXPECT_FALSE(Encode(kPublish, {std::string(kMaxFrame - 1, 'x')}).empty());
    EXPECT_TRUE(WellFormedForHub({kSetStr, {"k", "v"}}));
    EXPECT_FALSE(WellFormedForHub({kSetStr, {"k"}}));
    EXPECT_FALSE(WellFormedForHub({kNotify, {"s", "t"}})) << "only the hub sends NOTIFY";
    EXPECT_FALSE(WellFormedForHub({99, {""}}));
}

TEST(BusSecurity, DirectoryMustBePrivateAndOurs) {
    test::TempDir tmp;
    std::string why;
    const std::string fresh = tmp.File("fresh");
    EXPECT_TRUE(EnsurePrivateDirectory(fresh, why)) << why;
    struct stat st {};
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const std::string open = tmp.File("open");
    ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
    chmod(open.c_str(), 0755);
    EXPECT_FALSE(EnsurePrivateDirectory(open, why));

    const std::string link = tmp.File("link");
    ASSERT_EQ(symlink(fresh.c_str(), link.c_str()), 0);
    EXPECT_FALSE(EnsurePrivateDirectory(link, why)) << "a link is refused even to a good directory";

    const std::string file = tmp.Write("file", "x");
    EXPECT_FALSE(EnsurePrivateDirectory(file, why));
}

TEST(BusSecurity, PeerUidIsTheConnectingUser) {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    const auto uid = PeerUid(fds[0]);
    ASSERT_TRUE(uid);
    EXPECT_EQ(*uid, getuid());
    close(fds[0]);
    close(fds[1]);
    EXPECT_FALSE(PeerUid(-1));
}

sockaddr_un AddressOf(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    return addr;
}

// A socket connected to the server at path, or -1; for child processes only, since it blocks
// while the server's listen queue is full. A send timeout, when given, bounds that wait.
int ConnectTo(const std::string& path, int sendTimeoutMs = 0) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (sendTimeoutMs > 0) {
        timeval wait{sendTimeoutMs / 1000, suseconds_t{sendTimeoutMs % 1000} * 1000};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    }
    const sockaddr_un addr = AddressOf(path);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return fd;
    if (fd >= 0) close(fd);
    return -1;
}

// How long a client on the server's thread waits for the server: to take its connection, or
// to make room for what it writes.
constexpr int kClientWaitMs = 5000;

// One try at a connection that never blocks: the socket, or -1 and the error (EAGAIN while the
// server's listen queue is full).
int ConnectOnce(const sockaddr_un& addr, int& error) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return fd;
    error = errno;
    if (fd >= 0) close(fd);
    return -1;
}

// A socket connected to the server at path, for a client on the thread that runs the server:
// the socket never blocks, and while the listen queue is full the event loop runs, so that the
// server can make room, and the connection is tried again. -1 and why when it fails, or when it
// is not made within ms.
int ConnectFromServerThread(const std::string& path, int ms, std::string& why) {
    const sockaddr_un addr = AddressOf(path);
    int fd = -1;
    int error = 0;
    const bool ended = WaitFor(
        [&] {
            fd = ConnectOnce(addr, error);
            return fd >= 0 || error != EAGAIN;
        },
        ms);
    if (fd >= 0) return fd;
    why = ended ? std::string("connect: ") + std::strerror(error)
                : "the server's listen queue stayed full for " + std::to_string(ms) + " ms";
    return -1;
}

// A raw client of the server under test, for frames a well-behaved peer would never send. It
// runs on the server's thread and never blocks it: a connection or a write the server must make
// room for runs the event loop meanwhile, within kClientWaitMs.
class RawClient {
public:
    explicit RawClient(const std::string& path) : fd_(ConnectFromServerThread(path, kClientWaitMs, why_)) {
        if (fd_ < 0) ADD_FAILURE() << "no connection to " << path << ": " << why_;
    }
    ~RawClient() {
        if (fd_ >= 0) close(fd_);
    }
    bool connected() const { return fd_ >= 0; }
    void Write(const std::string& bytes) {
        ASSERT_TRUE(connected()) << why_;
        std::size_t sent = 0;
        int error = 0;
        const bool ended = WaitFor(
            [&] {
                for (;;) {
                    if (sent == bytes.size()) return true;
                    const ssize_t n =
                        send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
                    if (n < 0) {
                        error = errno;
                        return error != EAGAIN && error != EWOULDBLOCK;  // else: the server reads first
                    }
                    sent += std::size_t(n);
                }
            },
            kClientWaitMs);
        ASSERT_TRUE(ended) << "the server took " << sent << " of " << bytes.size() << " bytes in "
                           << kClientWaitMs << " ms";
        ASSERT_EQ(sent, bytes.size()) << "send: " << std::strerror(error);
    }
    // True once the server has closed its end (pending frames are read and kept).
    bool ClosedByServer() {
        char buf[4096];
        for (;;) {
            const ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) {
                reader.Feed(buf, std::size_t(n));
                continue;
            }
            return n == 0;
        }
    }
    FrameReader reader;

private:
    std::string why_;
    int fd_ = -1;
};

class BusServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = tmp.File("bus") + "/QUVCMD";
        std::string why;
        ASSERT_TRUE(server.Listen(path, why)) << why;
        suiteBus().SetStringBoard(
            [this](const std::string& k) -> std::optional<std::string> {
                auto it = board.find(k);
                if (it == board.end()) return std::nullopt;
                return it->second;
            },
            [this](const std::string& k, const std::string& v) { board[k] = v; });
    }
    test::TempDir tmp;
    std::string path;
    BusServer server;
    std::map<std::string, std::string> board;
};

TEST_F(BusServerTest, SocketIsPrivate) {
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST_F(BusServerTest, HelloSplitAcrossWritesRegisters) {
    RawClient c(path);
    ASSERT_TRUE(c.connected());
    const std::string hello = Encode(kHello, {"QUVCONVT"});
    c.Write(hello.substr(0, 3));
    WaitFor([] { return false; }, 50);
    c.Write(hello.substr(3));
    ASSERT_TRUE(WaitFor([] { return suiteBus().HasSource("QUVCONVT"); }));
}

TEST_F(BusServerTest, MalformedPeersAreClosed) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"oversized", std::string("\0\2\0\0", 4) + std::string(16, 'x')},
        {"publish before hello", Encode(kPublish, {"All,EX"})},
        {"the manager's name", Encode(kHello, {"tolvi32"})},
        {"unknown type", Encode(kHello, {"APPX"}) + Encode(99, {""})},
        {"second hello", Encode(kHello, {"APPY"}) + Encode(kHello, {"APPZ"})},
    };
    for (const Case& c : cases) {
        RawClient client(path);
        client.Write(c.bytes);
        EXPECT_TRUE(WaitFor([&] { return client.ClosedByServer(); })) << c.what;
    }
    EXPECT_TRUE(WaitFor([&] { return server.PeerCount() == 0; }));
    EXPECT_FALSE(suiteBus().HasSource("APPX"));
    EXPECT_FALSE(suiteBus().HasSource("APPY"));
    EXPECT_FALSE(suiteBus().HasSource("tolvi32"));
}

// Only root can connect as another user: the child takes another effective user id (which the
// server sees) and keeps root's file-system id (so it can still reach the private socket).
TEST_F(BusServerTest, PeerOfAnotherUserIsRefused) {
    if (getuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    const std::string hello = Encode(kHello, {"INTRUDER"});
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setresuid(0, 65534, 0) != 0) _exit(3);
        setfsuid(0);
        const int fd = ConnectTo(path, 5000);
        if (fd < 0) _exit(4);
        timeval wait{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        (void)send(fd, hello.data(), hello.size(), MSG_NOSIGNAL);
        char buf[64];
        // Closed unanswered: an end of stream, or a reset when our frame was never read.
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        _exit(n == 0 || (n < 0 && errno == ECONNRESET) ? 0 : 1);
    }
    const auto ended = test::AwaitChild(child, 8000, "the other user's client",
                                        [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); });
    ASSERT_TRUE(ended);
    const int status = *ended;
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "no other user id to take here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(suiteBus().HasSource("INTRUDER"));
    EXPECT_EQ(server.PeerCount(), 0u);
}

TEST_F(BusServerTest, DuplicateNameIsRefusedAndDisconnectUnlinks) {
    auto first = std::make_unique<RawClient>(path);
    first->Write(Encode(kHello, {"APP3"}));
    ASSERT_TRUE(WaitFor([] { return suiteBus().HasSource("APP3"); }));
    RawClient second(path);
    second.Write(Encode(kHello, {"APP3"}));
    EXPECT_TRUE(WaitFor([&] { return second.ClosedByServer(); }));

    std::vector<std::string> got;
    const int link = suiteBus().Link("APP3", [&](const std::string& t) { got.push_back(t); });
    ASSERT_NE(link, 0);
    first->Write(Encode(kPublish, {"TOLVI32,UP"}));
    ASSERT_TRUE(WaitFor([&] {
        suiteBus().DeliverPending();
        return !got.empty();
    }));
    EXPECT_EQ(got, std::vector<std::string>{"TOLVI32,UP"});

    first.reset();
    EXPECT_TRUE(WaitFor([&] { return !suiteBus().Linked(link); }));
    EXPECT_FALSE(suiteBus().HasSource("APP3"));
}

TEST_F(BusServerTest, PeerProgramRoundTrip) {
    suiteBus().RegisterSource("TOLVI32");
    const uint32_t msg = suiteBus().RegisterMessage("TOLVI32");
    QProcess peer;
    peer.start(TOLVI_TEST_PEER,
               {QString::fromStdString(path), "hello", "QUVCONVT", "link", "TOLVI32", "setstr", "TOLVIAUTO",
                ",quvsched", "getstr", "TOLVIAUTO", "publish", "TOLVI32,UP", "await-notify", "serve", "2"});
    ASSERT_TRUE(peer.waitForStarted());
    // The peer's publication arrives after its link and string writes, so they are all in.
    ASSERT_TRUE(WaitFor([] { return suiteBus().SourceText("QUVCONVT") == "TOLVI32,UP"; }, 5000));
    EXPECT_EQ(board["TOLVIAUTO"], ",quvsched");
    suiteBus().Publish("TOLVI32", "All,DF");
    ASSERT_TRUE(WaitFor([] { return suiteBus().DeliverPending() && suiteBus().Pending() == 0; }));
    EXPECT_TRUE(suiteBus().Activate("QUVCONVT", true));
    suiteBus().Broadcast(msg, 3);  // returns once the peer has answered
    ASSERT_TRUE(WaitFor([&] { return peer.state() == QProcess::NotRunning; }, 5000))
        << "the peer did not end";
    EXPECT_EQ(peer.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(peer.readAllStandardOutput());
    EXPECT_EQ(out.toStdString(),
              "ack 1\nstr 1 ,quvsched\nnotify TOLVI32 All,DF\nactivate 1\nregmsg TOLVI32 3\n");
    EXPECT_TRUE(WaitFor([] { return !suiteBus().HasSource("QUVCONVT"); }));
}

// A peer that asks and never reads: what waits for it is bounded in frames and in bytes, and
// it is closed once over either bound. One that reads as it goes is served without end.
TEST_F(BusServerTest, APeerThatLeavesRepliesUnreadIsClosed) {
    struct Case {
        const char* name;
        std::size_t valueBytes;
        int requests;
        bool reads;
    } cases[] = {
        {"SMALLREPLIES", 1, 300, false},
        {"LARGEREPLIES", 60000, 40, false},
        {"READER", 60000, 300, true},
    };
    for (const Case& c : cases) {
        board["K"] = std::string(c.valueBytes, 'v');
        RawClient client(path);
        client.Write(Encode(kHello, {c.name}));
        ASSERT_TRUE(WaitFor([&] { return suiteBus().HasSource(c.name); })) << c.name;
        // The questions go in batches, in one write each (the server runs between batches only).
        const int batch = c.reads ? 8 : c.requests;
        std::string asks;
        for (int i = 0; i < batch; ++i) asks += Encode(kGetStr, {"1", "K"});
        int answered = 0;
        for (int i = 0; i < c.requests; i += batch) {
            client.Write(asks);
            if (c.reads) {  // takes every answer before asking again
                ASSERT_TRUE(WaitFor([&] {
                    client.ClosedByServer();
                    while (client.reader.Next()) ++answered;
                    return answered == i + batch;
                })) << c.name;
            }
        }
        const bool closed = WaitFor([&] { return !suiteBus().HasSource(c.name); }, c.reads ? 300 : 3000);
        EXPECT_EQ(closed, !c.reads) << c.name;
    }
}

// The soft limit on open descriptors, lowered for a test to what is open now plus some.
class DescriptorLimit {
public:
    explicit DescriptorLimit(rlim_t headroom) {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit lower = saved_;
        lower.rlim_cur =
            rlim_t(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {})) + headroom;
        setrlimit(RLIMIT_NOFILE, &lower);
    }
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }

private:
    rlimit saved_{};
};

// Connections from a child process that never say a word, held until the object goes.
class Flood {
public:
    // A connection the server leaves waiting longer than waitMs is given up.
    Flood(const std::string& path, int count, int waitMs) {
        int up[2], down[2];
        if (pipe(up) != 0 || pipe(down) != 0) return;
        // Room made before the fork: the child of a program with threads allocates nothing.
        std::vector<int> fds;
        fds.reserve(std::size_t(count));
        pid_ = fork();
        if (pid_ == 0) {
            close(up[0]);
            close(down[1]);
            rlimit all{};
            getrlimit(RLIMIT_NOFILE, &all);
            all.rlim_cur = all.rlim_max;
            setrlimit(RLIMIT_NOFILE, &all);
            for (int i = 0; i < count; ++i) {
                if (const int fd = ConnectTo(path, waitMs); fd >= 0) fds.push_back(fd);
            }
            char c = 0;
            (void)!write(up[1], &c, 1);
            // Asked, counts the connections the manager has closed; then waits for the end.
            (void)!read(down[0], &c, 1);
            int closed = 0;
            for (int fd : fds) closed += recv(fd, &c, 1, MSG_DONTWAIT) == 0;
            (void)!write(up[1], &closed, sizeof closed);
            (void)!read(down[0], &c, 1);
            _exit(0);
        }
        close(up[1]);
        close(down[0]);
        from_ = up[0];
        to_ = down[1];
    }
    // Whether every connection has been made or given up (the server must be running meanwhile).
    bool Ready() {
        pollfd p{from_, POLLIN, 0};
        char c;
        return poll(&p, 1, 0) == 1 && read(from_, &c, 1) == 1;
    }
    // The child is killed, not waited for: one still connecting while the server no longer runs
    // would wait out every connection's timeout.
    ~Flood() {
        close(to_);
        close(from_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    // Asks the child; -1 when it does not answer within a few seconds.
    int ClosedByServer() {
        int closed = -1;
        (void)!write(to_, "?", 1);
        pollfd p{from_, POLLIN, 0};
        if (poll(&p, 1, 5000) != 1 || read(from_, &closed, sizeof closed) != ssize_t(sizeof closed)) {
            ADD_FAILURE() << "the flood did not say how many connections were closed";
            return -1;
        }
        return closed;
    }

private:
    pid_t pid_ = -1;
    int from_ = -1, to_ = -1;
};

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Lets the server run for ms without polling it, and gives the processor time this process used
// meanwhile: a server that spins uses about all of it (or its share of a loaded machine), one that
// waits next to none. Time is never taken from it by load, so the bound holds on a busy machine.
double CpuWhileIdle(int ms) {
    const double cpu0 = CpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return CpuSeconds() - cpu0;
}
constexpr double kIdleCpuSeconds = 0.25;  // over a wait of 2.5 s

// A peer that says HELLO and asks for a string; whether the answer came within ms.
bool ServedWithin(RawClient& client, const std::string& name, int ms) {
    client.Write(Encode(kHello, {name}) + Encode(kGetStr, {"7", "K"}));
    std::vector<Frame> got;
    WaitFor(
        [&] {
            client.ClosedByServer();
            while (auto f = client.reader.Next()) got.push_back(*f);
            return got.size() >= 2;
        },
        ms);
    return got.size() == 2 && got[1].type == kStr &&
           got[1].fields == std::vector<std::string>{"7", "1", "value"};
}

TEST_F(BusServerTest, AConnectionThatSaysNoHelloInTimeIsClosed) {
    RawClient silent(path), halfway(path), greeter(path);
    halfway.Write(Encode(kHello, {"HALFWAY"}).substr(0, 6));
    greeter.Write(Encode(kHello, {"GREETER"}));
    ASSERT_TRUE(WaitFor([] { return suiteBus().HasSource("GREETER"); }));
    WaitFor([] { return false; }, kHelloWaitMs / 4);
    EXPECT_FALSE(silent.ClosedByServer()) << "closed before its time";
    EXPECT_TRUE(
        WaitFor([&] { return silent.ClosedByServer() && halfway.ClosedByServer(); }, kHelloWaitMs + 2000));
    EXPECT_FALSE(greeter.ClosedByServer());
    EXPECT_EQ(server.PeerCount(), 1u);
}

// A thousand connections that never speak, held open: the server keeps only a few of them, and
// those not for long, spends no time on them, and a program that says HELLO is served at once.
TEST_F(BusServerTest, IdleConnectionsKeepNoPeerOut) {
    constexpr int kIdle = 1000;
    board["K"] = "value";
    RawClient earlier(path);
    earlier.Write(Encode(kHello, {"EARLIER"}));
    ASSERT_TRUE(WaitFor([] { return suiteBus().HasSource("EARLIER"); }));

    Flood flood(path, kIdle, 3000);
    ASSERT_TRUE(WaitFor([&] { return flood.Ready(); }, 30000));
    EXPECT_LE(server.PeerCount(), 1 + kMaxGreeting);
    RawClient newcomer(path);
    ASSERT_TRUE(ServedWithin(newcomer, "NEWCOMER", 3000));

    EXPECT_LT(CpuWhileIdle(2500), kIdleCpuSeconds) << "the server spins";
    EXPECT_EQ(flood.ClosedByServer(), kIdle);
    EXPECT_EQ(server.PeerCount(), 2u);
    EXPECT_FALSE(earlier.ClosedByServer());
    EXPECT_TRUE(suiteBus().HasSource("EARLIER"));
}

// The server's listen queue filled while the event loop does not run: a client that then
// connects from the server's own thread must let the server make room, and is served.
TEST_F(BusServerTest, AClientOnTheServersThreadIsServedWhenTheListenQueueIsFull) {
    board["K"] = "value";
    struct Sockets {
        std::vector<int> fds;
        ~Sockets() {
            for (int fd : fds) close(fd);
        }
    } queued;
    const sockaddr_un addr = AddressOf(path);
    int error = 0;
    while (queued.fds.size() < 200) {
        const int fd = ConnectOnce(addr, error);
        if (fd < 0) break;
        queued.fds.push_back(fd);
    }
    ASSERT_EQ(error, EAGAIN) << queued.fds.size() << " connections made, then "
                             << (error ? std::strerror(error) : "the listen queue still had room");
    RawClient newcomer(path);
    ASSERT_TRUE(newcomer.connected());
    EXPECT_TRUE(ServedWithin(newcomer, "NEWCOMER", 3000));
}

// Every place for peers taken by programs that said HELLO: a flood takes none of them and leaves
// descriptors enough to save a database, a further HELLO is refused, and a place that comes free
// is taken by the next program.
TEST_F(BusServerTest, PeersThatSaidHelloKeepTheirPlaces) {
    std::vector<std::unique_ptr<RawClient>> peers;
    for (std::size_t i = 0; i < kMaxPeers; ++i) {
        // One at a time, as programs start: each has said HELLO before the next connects, so
        // the greeting places never fill.
        const std::string name = "PEER" + std::to_string(i);
        peers.push_back(std::make_unique<RawClient>(path));
        peers.back()->Write(Encode(kHello, {name}));
        ASSERT_TRUE(WaitFor([&] { return suiteBus().HasSource(name); }));
    }
    board["K"] = "value";
    {
        DescriptorLimit limit(kMaxGreeting + 12);
        Flood flood(path, 200, 3000);
        ASSERT_TRUE(WaitFor([&] { return flood.Ready(); }, 15000));
        DB_CreateDataBase("FLOOD", "MAINHIER", "MAINPAGE");
        EXPECT_NE(DB_SaveDataBase(tmp.File("flood.tpb").c_str()), 0) << "no descriptor left to save";
        RawClient extra(path);
        extra.Write(Encode(kHello, {"EXTRA"}));
        EXPECT_TRUE(WaitFor([&] { return extra.ClosedByServer(); }));
        EXPECT_LT(CpuWhileIdle(2500), kIdleCpuSeconds) << "the server spins";
        EXPECT_EQ(flood.ClosedByServer(), 200);
    }
    EXPECT_EQ(server.PeerCount(), kMaxPeers);
    for (std::size_t i = 0; i < kMaxPeers; ++i) EXPECT_TRUE(suiteBus().HasSource("PEER" + std::to_string(i)));
    peers.pop_back();
    ASSERT_TRUE(WaitFor([&] { return server.PeerCount() == kMaxPeers - 1; }));
    RawClient later(path);
    EXPECT_TRUE(ServedWithin(later, "LATER", 3000));
}

// Out of descriptors, the server stops accepting instead of waking for ever, keeps serving the
// peer it has, and takes new peers once descriptors are free again.
TEST_F(BusServerTest, RunningOutOfDescriptorsIsWaitedOut) {
    RawClient served(path);
    served.Write(Encode(kHello, {"SERVED"}));
    ASSERT_TRUE(WaitFor([] { return suiteBus().HasSource("SERVED"); }));
    board["K"] = "value";
    {
        DescriptorLimit limit(kMaxGreeting / 2);
        // Where the server stops accepting, what waits is given up soon.
        Flood flood(path, 60, 50);
        ASSERT_TRUE(WaitFor([&] { return flood.Ready(); }, 15000));
        EXPECT_LT(CpuWhileIdle(2500), kIdleCpuSeconds) << "the server spins";
        served.Write(Encode(kGetStr, {"5", "K"}));
        ASSERT_TRUE(WaitFor([&] {
            served.ClosedByServer();
            return served.reader.Next().has_value();
        }));
    }
    EXPECT_TRUE(WaitFor([&] { return server.PeerCount() == 1; }, 5000));
    RawClient newcomer(path);
    EXPECT_TRUE(ServedWithin(newcomer, "NEWCOMER", 3000));
}

}  // namespace
}  // namespace tolvi::platform
