// The .TPB store: lossless round trip, refusal of damaged files, and saves that never damage
// the file they replace.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "kernel/crc32.h"
#include "kernel_test_support.h"

namespace kt {
namespace {

using Bytes = std::vector<uint8_t>;

struct ChunkAt {
    std::string tag;
    size_t pos;
    size_t len;  // payload length
};

std::vector<ChunkAt> Chunks(const Bytes& b) {
    std::vector<ChunkAt> out;
    for (size_t pos = 32; pos + 20 <= b.size();) {
        uint64_t len;
        std::memcpy(&len, &b[pos + 8], 8);
        out.push_back({std::string(reinterpret_cast<const char*>(&b[pos]), 4), pos, size_t(len)});
        pos += 20 + size_t(len);
    }
    return out;
}

void FixChunkCrc(Bytes& b, const ChunkAt& c) {
    const uint32_t crc = tolvi::kernel::Crc32(&b[c.pos], 16 + c.len);
    std::memcpy(&b[c.pos + 16 + c.len], &crc, 4);
}

void FixHeader(Bytes& b) {
    const uint64_t area = b.size() - 32;
    std::memcpy(&b[16], &area, 8);
    const uint32_t crc = tolvi::kernel::Crc32(b.data(), 24);
    std::memcpy(&b[24], &crc, 4);
}

class TpbStoreTest : public KernelTest {
protected:
    TempDir tmp;
    std::string file = tmp.path("design.tpb");
};

TEST_F(TpbStoreTest, RoundTripKeepsEveryKindAndDropsPreviews) {
    BuildFixtureDesign();
    N_CreateNet(9, 0, "GONE");
    OM_Delete(DB_NetMap(), 9);
    const std::string before = DumpDatabase();
    ASSERT_NE(S_Symbol(-1), 0);

    ASSERT_NE(DB_SaveDataBase(file.c_str()), 0);
    EXPECT_TRUE(Changed()) << "saving leaves the changed flag to the caller";
    ASSERT_NE(DB_CreateDataBase("OTHER", "H", "P"), 0);
    ASSERT_NE(DB_LoadDataBase(file.c_str()), 0);

    EXPECT_FALSE(Changed());
    EXPECT_EQ(S_Symbol(-1), 0) << "preview symbol saved";
    EXPECT_EQ(D_Device(-1), 0) << "preview device saved";
    S_CreateSymbol(-1, "PREVIEW");  // the dump taken before the save listed it
    S_InsertEntry(-1, 1, 0, 0);
    D_CreateDevice(-1, "PREVIEW", "", "");
    ClearChanged();
    EXPECT_EQ(DumpDatabase(), before);

    // Id counters survive: a new net never takes the number of one deleted before saving.
    EXPECT_EQ(N_CreateNet(0, 0, "NEW"), 10);
}

TEST_F(TpbStoreTest, LoadingSameBytesTwiceGivesSameFile) {
    BuildFixtureDesign();
    ASSERT_NE(DB_SaveDataBase(file.c_str()), 0);
    ASSERT_NE(DB_LoadDataBase(file.c_str()), 0);
    const std::string again = tmp.path("again.tpb");
    ASSERT_NE(DB_SaveDataBase(again.c_str()), 0);
    EXPECT_EQ(ReadBytes(again), ReadBytes(file));
}

// A chunk of several MiB (read apart from the chunks parsed side by side) must come through
// whole.
TEST_F(TpbStoreTest, ChunkLargerThanTheReadBufferLoads) {
    BuildFixtureDesign();
    Bytes data(3 << 20);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7 + i / 4096);
    const int32_t f = F_CreateFile(0, "BIG");
    ASSERT_NE(f, 0);
    ASSERT_EQ(F_Write(f, data.data(), int32_t(data.size())), int32_t(data.size()));
    ASSERT_NE(DB_SaveDataBase(file.c_str()), 0);
    ASSERT_NE(DB_CreateDataBase("OTHER", "H", "P"), 0);
    ASSERT_NE(DB_LoadDataBase(file.c_str()), 0);

    Bytes back(data.size());
    F_Seek(f, 0, 0);
    ASSERT_EQ(F_Read(f, back.data(), int32_t(back.size())), int32_t(back.size()));
    EXPECT_EQ(back, data);

    // Damage far past the chunk's start is caught too, though the chunk is parsed before its
    // checksum is known.
    Bytes bad = ReadBytes(file);
    for (const ChunkAt& c : Chunks(bad))
        if (c.tag == "FILE") bad[c.pos + 16 + c.len - 100] ^= 0x01;
    const std::string damaged = tmp.path("damaged.tpb");
    WriteBytes(damaged, bad);
    EXPECT_EQ(DB_LoadDataBase(damaged.c_str()), 0);
}

TEST_F(TpbStoreTest, DamagedFilesAreRefusedAndTheOpenDatabaseStays) {
    BuildFixtureDesign();
    ASSERT_NE(DB_SaveDataBase(file.c_str()), 0);
    const Bytes good = ReadBytes(file);
    const auto chunks = Chunks(good);
    ASSERT_GE(chunks.size(), 8u);
    ASSERT_EQ(chunks.back().tag, "END ");

    std::vector<std::pair<std::string, Bytes>> cases;
    for (size_t cut : {size_t(0), size_t(7), size_t(31), size_t(32), good.size() / 2, good.size() - 1})
        cases.push_back(
            {"truncated at " + std::to_string(cut), Bytes(good.begin(), good.begin() + long(cut))});
    for (const ChunkAt& c : chunks) {
        Bytes b = good;
        b[c.pos + 16 + c.len / 2] ^= 0x40;
        cases.push_back({"flipped byte in " + c.tag, b});
    }
    {
        Bytes b = good;
        b[1] = 'X';
        FixHeader(b);
        cases.push_back({"bad magic", b});
    }
    {
        Bytes b = good;
        b[8] = 2;  // major version 2
        FixHeader(b);
        cases.push_back({"newer major version", b});
    }
    // Chunks parsed side by side: a bad one must fail the whole load, whichever it is.
    for (const ChunkAt& c : chunks) {
        if (c.tag != "SYMB" && c.tag != "DEVC" && c.tag != "PSTK" && c.tag != "HIER") continue;
        Bytes b = good;
        const uint32_t huge = 0x7FFFFFFF;  // the first count (a hierarchy's name length after
                                           // its key), with a checksum that matches it
        std::memcpy(&b[c.pos + 16 + (c.tag == "HIER" ? 4 : 0)], &huge, 4);
        FixChunkCrc(b, c);
        cases.push_back({"huge count in " + c.tag + " at " + std::to_string(c.pos), b});
    }
    {
        Bytes b(good.begin(), good.begin() + long(chunks.back().pos));
        const ChunkAt& h = chunks[chunks.size() - 2];
        ASSERT_EQ(h.tag, "HIER");
        b.insert(b.end(), good.begin() + long(h.pos), good.begin() + long(h.pos + 20 + h.len));
        b.insert(b.end(), good.begin() + long(chunks.back().pos), good.end());
        const uint64_t total = b.size();
        std::memcpy(&b[b.size() - 12], &total, 8);
        FixChunkCrc(b, Chunks(b).back());
        FixHeader(b);
        cases.push_back({"hierarchy twice", b});
    }
    {
        Bytes b(good.begin(), good.begin() + long(chunks.back().pos));
        FixHeader(b);
        cases.push_back({"missing end", b});
    }
    {
        Bytes b = good;
        b.insert(b.end(), good.begin() + long(chunks.back().pos), good.end());
        FixHeader(b);
        cases.push_back({"data after end", b});
    }

    // The database open before a failed load must come through untouched, handles included.
    const int32_t net = N_Net(N_CreateNet(0, 0, "UNSAVED"));
    const std::string before = DumpDatabase();
    for (const auto& [name, bytes] : cases) {
        const std::string bad = tmp.path("bad.tpb");
        WriteBytes(bad, bytes);
        EXPECT_EQ(DB_LoadDataBase(bad.c_str()), 0) << name;
        EXPECT_EQ(DumpDatabase(), before) << name;
        EXPECT_STREQ(O_GetName(net), "UNSAVED") << name;
    }
    EXPECT_EQ(DB_LoadDataBase(tmp.path("missing.tpb").c_str()), 0);
    EXPECT_EQ(DB_LoadDataBase(tmp.dir().c_str()), 0);
}

TEST_F(TpbStoreTest, FailedSaveLeavesOldFileByteIdentical) {
    ASSERT_NE(DB_SaveDataBase(file.c_str()), 0);
    const Bytes old = ReadBytes(file);
    BuildFixtureDesign();  // the new content is larger than the old file

    {
        // A write error part-way (the file size limit stands in for a full disk).
        struct sigaction ignore = {}, previous = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &previous);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = old.size() + 16;
        setrlimit(RLIMIT_FSIZE, &small);
        const int32_t r = DB_SaveDataBase(file.c_str());
        setrlimit(RLIMIT_FSIZE, &saved);
        sigaction(SIGXFSZ, &previous, nullptr);
        EXPECT_EQ(r, 0);
        EXPECT_STREQ(DB_LastError(), "File too large");
        EXPECT_EQ(ReadBytes(file), old);
    }
    {
        // A directory that cannot take the temporary file (meaningless for a superuser).
        namespace fs = std::filesystem;
        fs::permissions(tmp.dir(), fs::perms::owner_read | fs::perms::owner_exec);
        if (::access(tmp.dir().c_str(), W_OK) != 0) {
            EXPECT_EQ(DB_SaveDataBase(file.c_str()), 0);
            EXPECT_EQ(ReadBytes(file), old);
        }
        fs::permissions(tmp.dir(), fs::perms::owner_all);
    }
    EXPECT_EQ(DB_SaveDataBase(tmp.path("no/such/dir.tpb").c_str()), 0);
    EXPECT_STREQ(DB_LastError(), "No such file or directory");
    EXPECT_EQ(DB_SaveDataBase(tmp.dir().c_str()), 0) << "a directory is no target";
    EXPECT_STREQ(DB_LastError(), "Is a directory");
    EXPECT_EQ(DB_SaveDataBase(""), 0);
    EXPECT_STREQ(DB_LastError(), "") << "no reason the system gave";

    // No temporary file is left behind.
    size_t entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(tmp.dir())) ++entries;
    EXPECT_EQ(entries, 1u);
}

// The reason is session state: after a reset, nothing reads the failure of a save before it.
TEST_F(TpbStoreTest, AResetForgetsWhyTheLastSaveFailed) {
    ASSERT_EQ(DB_SaveDataBase(tmp.dir().c_str()), 0);
    ASSERT_STREQ(DB_LastError(), "Is a directory");
    KernelResetForTests();
    EXPECT_STREQ(DB_LastError(), "");
}

}  // namespace
}  // namespace kt
