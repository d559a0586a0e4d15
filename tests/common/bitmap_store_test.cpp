#include "common/bitmap_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/kernel.h"

namespace tolvi {
namespace {

// A record owned by owner whose other bytes all differ from record to record.
BitmapRec Record(int32_t owner, uint8_t fill) {
    BitmapRec r;
    for (size_t i = 0; i < r.Bytes.size(); ++i) r.Bytes[i] = uint8_t(fill + i);
    r.SetOwnerId(owner);
    return r;
}

std::string Bytes(const std::vector<BitmapRec>& recs) {
    std::string s;
    for (const BitmapRec& r : recs) s.append(reinterpret_cast<const char*>(r.Bytes.data()), r.Bytes.size());
    return s;
}

std::string StoreFile() {
    const int32_t id = OM_FindName(DB_FileMap(), "@Bitmap@");
    std::string bytes(size_t(F_GetLength(id)), '\0');
    F_Seek(id, 0, 0);
    if (!bytes.empty()) F_Read(id, bytes.data(), int32_t(bytes.size()));
    return bytes;
}

class BitmapStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(DB_CreateDataBase("B", "MAINHIER", "MAINPAGE"), 0); }

    // A database whose "@Bitmap@" holds recs, opened by the store.
    void Open(const std::vector<BitmapRec>& recs) {
        const int32_t id = F_CreateFile(0, "@Bitmap@");
        ASSERT_GT(id, 0);
        const std::string bytes = Bytes(recs);
        if (!bytes.empty()) F_Write(id, bytes.data(), int32_t(bytes.size()));
        OpenBitmapStore();
        ASSERT_EQ(gBitmapFile, id);
    }
};

TEST_F(BitmapStore, ADatabaseWithoutTheFileGetsAnEmptyOne) {
    gBitmapRecs.resize(4);  // left over from another database
    OpenBitmapStore();
    EXPECT_GT(gBitmapFile, 0);
    EXPECT_EQ(gBitmapFile, OM_FindName(DB_FileMap(), "@Bitmap@"));
    EXPECT_EQ(F_GetLength(gBitmapFile), 0);
    EXPECT_EQ(gBitmapRecs.size(), 1u);
}

TEST_F(BitmapStore, OpeningMirrorsTheRecordsInFileOrder) {
    const std::vector<BitmapRec> recs{Record(2, 0x10), Record(-5, 0x80), Record(2, 0xF0)};
    Open(recs);
    ASSERT_EQ(gBitmapRecs.size(), 4u);
    for (size_t i = 0; i < recs.size(); ++i) EXPECT_EQ(gBitmapRecs[i + 1].Bytes, recs[i].Bytes) << i;
    EXPECT_EQ(gBitmapRecs[2].OwnerId(), -5);
}

TEST_F(BitmapStore, DeletingAnOwnersRecordsClosesUpTheRestUntouched) {
    const BitmapRec a = Record(2, 0x10), b = Record(5, 0x40), c = Record(2, 0x90);
    struct Case {
        const char* name;
        std::vector<BitmapRec> before;
        int32_t owner;
        std::vector<BitmapRec> after;
    };
    const Case cases[] = {
        {"owner 2 of 2, 5, 2", {a, b, c}, 2, {b}},
        {"owner 7 of none", {a, b, c}, 7, {a, b, c}},
        {"every record", {a, c}, 2, {}},
        {"empty file", {}, 2, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        SetUp();
        Open(k.before);
        DeleteBitmapRecords(k.owner);
        EXPECT_EQ(StoreFile(), Bytes(k.after));
        ASSERT_EQ(gBitmapRecs.size(), k.after.size() + 1);
        for (size_t i = 0; i < k.after.size(); ++i) EXPECT_EQ(gBitmapRecs[i + 1].Bytes, k.after[i].Bytes);
    }
}

TEST_F(BitmapStore, DeletingReadsTheFileNotTheArray) {
    Open({Record(2, 0x10)});
    // Another application adds a record behind the store's back.
    const BitmapRec added = Record(5, 0x60);
    F_Seek(gBitmapFile, 0, 2);
    F_Write(gBitmapFile, added.Bytes.data(), BitmapRec::kBytes);
    gBitmapRecs.resize(1);
    DeleteBitmapRecords(2);
    EXPECT_EQ(StoreFile(), Bytes({added}));
}

}  // namespace
}  // namespace tolvi
