// The one file writer: links followed, permissions kept and respected, failures and crashes
// leaving the old file and no pile of temporaries.
#include "base/file_replace.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "support/mount_namespace.h"
#include "support/ordinary_user.h"

namespace tolvi::base {
namespace {

namespace fs = std::filesystem;
using test::AsOrdinaryUser;
using test::InOwnMountNamespace;

class ScratchDir {
public:
    ScratchDir() {
        std::string t = (fs::temp_directory_path() / "file-replace-XXXXXX").string();
        if (::mkdtemp(t.data())) path_ = t;
    }
    ~ScratchDir() {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(path_, ec); it != fs::recursive_directory_iterator();
             ++it)
            if (it->is_directory(ec) && !it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, ec);
        fs::permissions(path_, fs::perms::owner_all, ec);
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(File(name), std::ios::binary | std::ios::ate);
        std::string bytes(size_t(std::max<std::streamoff>(in.tellg(), 0)), '\0');
        in.seekg(0).read(bytes.data(), std::streamsize(bytes.size()));
        return bytes;
    }
    // Names in the directory (not below it).
    std::set<std::string> Entries(const std::string& sub = "") const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(sub.empty() ? path_ : File(sub)))
            names.insert(e.path().filename().string());
        return names;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string ReadLink(const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, size_t(n));
}

int Replace(const std::string& target, const std::string& bytes) {
    return ReplaceFile(target, bytes.data(), bytes.size());
}

class FileReplace : public ::testing::Test {
protected:
    void TearDown() override { UseNamedTemporaryForTests(false); }
};

TEST_F(FileReplace, ALinkStaysALinkAndTheFileItPointsToIsWritten) {
    struct Case {
        const char* what;
        std::string link;     // relative to the scratch directory
        std::string pointTo;  // the link's text; "@" stands for the scratch directory
        std::string written;  // the file that must hold the new bytes
    } cases[] = {
        {"relative", "rel.dat", "real.dat", "real.dat"},
        {"absolute", "abs.dat", "@/real.dat", "real.dat"},
        {"into a subdirectory", "down.dat", "sub/inner.dat", "sub/inner.dat"},
        {"a chain of links", "chain.dat", "rel.dat", "real.dat"},
        {"to a file not there yet", "dangling.dat", "sub/later.dat", "sub/later.dat"},
    };
    ScratchDir dir;
    fs::create_directory(dir.File("sub"));
    dir.Write("real.dat", "old");
    dir.Write("sub/inner.dat", "old");
    for (const Case& c : cases) {
        std::string to = c.pointTo;
        if (to[0] == '@') to = dir.path() + to.substr(1);
        ASSERT_EQ(::symlink(to.c_str(), dir.File(c.link).c_str()), 0) << c.what;
    }
    for (const Case& c : cases) {
        const std::string text = std::string("new through ") + c.what;
        ASSERT_EQ(Replace(dir.File(c.link), text), 0) << c.what;
        EXPECT_TRUE(fs::is_symlink(dir.File(c.link))) << c.what;
        EXPECT_EQ(dir.Read(c.written), text) << c.what;
    }
    EXPECT_EQ(ReadLink(dir.File("abs.dat")), dir.File("real.dat"));
    // Nothing but the links and their files.
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"sub", "real.dat", "rel.dat", "abs.dat", "down.dat",
                                                    "chain.dat", "dangling.dat"}));
    EXPECT_EQ(dir.Entries("sub"), (std::set<std::string>{"inner.dat", "later.dat"}));
}

TEST_F(FileReplace, KeepsPermissionBitsAndGivesNewFilesTheUsualOnes) {
    ScratchDir dir;
    for (const bool named : {false, true}) {
        UseNamedTemporaryForTests(named);
        dir.Write("kept.dat", "old");
        ::chmod(dir.File("kept.dat").c_str(), 0640);
        ASSERT_EQ(Replace(dir.File("kept.dat"), "new"), 0);
        struct stat st {};
        ASSERT_EQ(::stat(dir.File("kept.dat").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << named;

        const mode_t mask = ::umask(027);
        fs::remove(dir.File("fresh.dat"));
        const int err = Replace(dir.File("fresh.dat"), "x");
        ::umask(mask);
        ASSERT_EQ(err, 0);
        ASSERT_EQ(::stat(dir.File("fresh.dat").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << named;
    }
}

TEST_F(FileReplace, RefusesWhatTheUserMayNotWriteAndLeavesItAlone) {
    struct Case {
        const char* what;
        mode_t fileMode, dirMode;
        const char* target;
        int err;
    } cases[] = {
        {"a read-only file", 0444, 0777, "t.dat", EACCES},
        {"a read-only directory", 0666, 0555, "t.dat", EACCES},
        {"a directory", 0666, 0777, "sub", EISDIR},
        {"a missing directory", 0666, 0777, "none/t.dat", ENOENT},
    };
    for (const bool named : {false, true}) {
        UseNamedTemporaryForTests(named);
        for (const Case& c : cases) {
            ScratchDir dir;
            fs::create_directory(dir.File("sub"));
            dir.Write("t.dat", "old");
            ::chmod(dir.File("t.dat").c_str(), c.fileMode);
            ::chmod(dir.path().c_str(), c.dirMode);
            int err;
            {
                AsOrdinaryUser user;
                if (!user.Ordinary()) GTEST_SKIP() << "a superuser that cannot give up its rights";
                err = Replace(dir.File(c.target), "new");
            }
            ::chmod(dir.path().c_str(), 0700);
            EXPECT_EQ(err, c.err) << c.what << (named ? ", named" : "");
            EXPECT_EQ(dir.Read("t.dat"), "old") << c.what;
            EXPECT_EQ(dir.Entries(), (std::set<std::string>{"sub", "t.dat"})) << c.what;
        }
    }
}

TEST_F(FileReplace, AWriterAtWorkKeepsItsTemporary) {
    UseNamedTemporaryForTests(true);
    ScratchDir dir;
    dir.Write("t.dat", "old");
    FileReplacement first, second;
    ASSERT_EQ(first.Begin(dir.File("t.dat")), 0);
    ASSERT_EQ(first.Write("first", 5), 0);
    EXPECT_EQ(second.Begin(dir.File("t.dat")), EBUSY);
    ASSERT_EQ(first.Commit(), 0);
    EXPECT_EQ(dir.Read("t.dat"), "first");
    EXPECT_EQ(dir.Entries(), std::set<std::string>{"t.dat"});
}

// What holds the temporary's name and is no writer's file (a directory, a pipe, a link) is the
// user's and stays as it is: the save takes another name and succeeds, the next save still
// clears a temporary a crash left under that name, and a writer at work there still keeps it.
TEST_F(FileReplace, SomethingElseUnderTheTemporarysNameStaysAndTheSaveSucceeds) {
    struct Case {
        const char* what;
        void (*plant)(const std::string& at);
        bool (*intact)(const std::string& at);
    } cases[] = {
        {"a directory",
         [](const std::string& at) {
             fs::create_directory(at);
             std::ofstream(at + "/keep") << "mine";
         },
         [](const std::string& at) { return fs::is_directory(at) && fs::exists(at + "/keep"); }},
        {"a pipe", [](const std::string& at) { ::mkfifo(at.c_str(), 0600); },
         [](const std::string& at) { return fs::is_fifo(fs::symlink_status(at)); }},
        {"a dangling link", [](const std::string& at) { (void)!::symlink("nowhere", at.c_str()); },
         [](const std::string& at) { return ReadLink(at) == "nowhere"; }},
        {"a link to the target", [](const std::string& at) { (void)!::symlink("t.dat", at.c_str()); },
         [](const std::string& at) { return ReadLink(at) == "t.dat"; }},
    };
    for (const bool named : {false, true}) {
        UseNamedTemporaryForTests(named);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (named ? ", named" : ""));
            ScratchDir dir;
            dir.Write("t.dat", "old");
            const std::string planted = dir.File(".t.dat~tmp");
            c.plant(planted);
            const std::set<std::string> entries = dir.Entries();
            ASSERT_EQ(Replace(dir.File("t.dat"), "new"), 0);
            EXPECT_EQ(dir.Read("t.dat"), "new");
            EXPECT_TRUE(c.intact(planted));
            EXPECT_EQ(dir.Entries(), entries);

            dir.Write(".t.dat~tmp1", "left by a crash");
            ASSERT_EQ(Replace(dir.File("t.dat"), "newer"), 0);
            EXPECT_EQ(dir.Read("t.dat"), "newer");
            EXPECT_TRUE(c.intact(planted));
            EXPECT_EQ(dir.Entries(), entries);

            if (named) {
                FileReplacement first, second;
                ASSERT_EQ(first.Begin(dir.File("t.dat")), 0);
                EXPECT_EQ(second.Begin(dir.File("t.dat")), EBUSY);
                ASSERT_EQ(first.Commit(), 0);
                EXPECT_EQ(dir.Entries(), entries);
            }
        }
    }
    // Every name the temporary may have is held: the save is refused and nothing changes.
    ScratchDir dir;
    dir.Write("t.dat", "old");
    fs::create_directory(dir.File(".t.dat~tmp"));
    for (int i = 1; i < 8; ++i) fs::create_directory(dir.File(".t.dat~tmp" + std::to_string(i)));
    EXPECT_EQ(Replace(dir.File("t.dat"), "new"), EEXIST);
    EXPECT_EQ(dir.Read("t.dat"), "old");
    EXPECT_EQ(dir.Entries().size(), 9u);
}

TEST_F(FileReplace, AFullFileSystemLeavesTheOldFileAndNoTemporary) {
    ScratchDir dir;
    const std::string disk = dir.File("disk");
    fs::create_directory(disk);
    const std::string big(1 << 20, 'n');
    for (const bool named : {false, true}) {
        const int status = InOwnMountNamespace([&] {
            UseNamedTemporaryForTests(named);
            if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k") != 0) return test::kNoMountNamespace;
            const std::string target = disk + "/t.dat";
            if (Replace(target, "old") != 0) return 1;
            if (Replace(target, big) != ENOSPC) return 2;
            std::ifstream in(target, std::ios::binary);
            if (std::string(std::istreambuf_iterator<char>(in), {}) != "old") return 3;
            if (std::distance(fs::directory_iterator(disk), {}) != 1) return 4;
            return 0;
        });
        if (status == test::kNoMountNamespace) GTEST_SKIP() << "no small file system can be mounted here";
        EXPECT_EQ(status, 0) << (named ? "named" : "unnamed");
    }
}

TEST_F(FileReplace, KilledWritersLeaveAtMostOneTemporaryWhichTheNextWriteClears) {
    constexpr size_t kBytes = size_t(2) << 20;
    for (const bool named : {false, true}) {
        ScratchDir dir;
        const std::string target = dir.File("design.tpb");
        const auto t0 = std::chrono::steady_clock::now();
        ASSERT_EQ(Replace(target, std::string(kBytes, '\0')), 0);
        // Kills spread over about two whole writes, so they land in every step of one.
        const auto once =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0);
        for (int kill = 0; kill < 24; ++kill) {
            const pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                UseNamedTemporaryForTests(named);
                for (char v = 1;; ++v) Replace(target, std::string(kBytes, v));
            }
            ::usleep(useconds_t(500 + once.count() * (kill % 8) / 4));
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);

            const std::set<std::string> entries = dir.Entries();
            EXPECT_LE(entries.size(), 2u) << "after kill " << kill;
            for (const std::string& e : entries)
                EXPECT_TRUE(e == "design.tpb" || e == ".design.tpb~tmp") << e;
            // The target is always one whole version.
            const std::string now = dir.Read("design.tpb");
            ASSERT_EQ(now.size(), kBytes) << "after kill " << kill;
            EXPECT_EQ(now.find_first_not_of(now[0]), std::string::npos) << "after kill " << kill;
        }
        ASSERT_EQ(Replace(target, "final"), 0);
        EXPECT_EQ(dir.Entries(), std::set<std::string>{"design.tpb"}) << (named ? "named" : "unnamed");
    }
}

}  // namespace
}  // namespace tolvi::base
