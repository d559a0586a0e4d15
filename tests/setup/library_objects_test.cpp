#include "setup/library_objects.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "support/library_builder.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

std::vector<int32_t> Keys(int32_t map) {
    std::vector<int32_t> keys;
    int32_t c = OM_GetFirst(map);
    while (int32_t k = OM_SearchMask(map, c, 0, 0)) keys.push_back(k);
    return keys;
}

std::string SymbolName(int32_t id) {
    SymbolRec r;
    return S_ReadSymbol(id, r) > 0 && r.Name ? r.Name : "";
}

class LibraryObjects : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string parts, symbols;

    void SetUp() override {
        ASSERT_NE(DB_CreateDataBase("D", "MAINHIER", "MAINPAGE"), 0);
        ASSERT_TRUE(test::WriteSampleLibraries(dir.path()));
        parts = dir.File("LOGIC.PART");
        symbols = dir.File("LOGIC.SYMBOL");
    }

    // The handle the next E_OpenLibrary gives (handles count up and are never reused), so a
    // test can see whether a routine left its library open.
    int32_t NextHandle() {
        const int32_t h = E_OpenLibrary(symbols.c_str(), kSymbolLibKind, 0);
        E_CloseLibrary(h);
        return h + 1;
    }
};

TEST_F(LibraryObjects, ALoadReplacesThePreviewUnderItsIdAndClosesTheLibrary) {
    for (const char* name : {"7400", "7404"}) {
        int32_t err = -1, id = -1;
        const int32_t h = NextHandle();
        LoadDeviceFromLib(err, id, parts, name);
        EXPECT_EQ(err, 0);
        EXPECT_EQ(id, -1);
        EXPECT_EQ(E_GetLibDirName(h, 0), nullptr) << "closed again";
    }
    EXPECT_EQ(Keys(DB_DeviceMap()), std::vector<int32_t>{-1});
    DeviceRec dev;
    ASSERT_GT(D_ReadDevice(-1, dev), 0);
    EXPECT_STREQ(dev.Name1, "7404");

    for (int32_t want : {-1, -2, -1}) {
        int32_t err = -1, id = want;
        LoadSymbolFromLib(err, id, symbols, want == -1 ? "NAND2" : "INV");
        EXPECT_EQ(err, 0);
        EXPECT_EQ(id, want);
    }
    EXPECT_EQ(Keys(DB_SymbMap()), (std::vector<int32_t>{-1, -2}));
    EXPECT_EQ(SymbolName(-2), "INV");
}

// A load that cannot take place leaves what is under the id; one that fails after the old
// object was deleted leaves nothing there.
TEST_F(LibraryObjects, FailedLoads) {
    int32_t err = 0, id = -1;
    LoadSymbolFromLib(err, id, symbols, "DFF");
    ASSERT_EQ(err, 0);

    const struct {
        const char* what;
        std::string path;
        const char* name;
        const char* failing;  // kernel call made to fail
        const char* left;     // symbol -1 afterwards
    } cases[] = {
        {"missing name (names match exactly)", symbols, "dff", nullptr, "DFF"},
        {"missing path", dir.File("NONE.SYMBOL"), "DFF", nullptr, "DFF"},
        {"a part library", parts, "7400", nullptr, "DFF"},
        {"load fails after the deletion", symbols, "INV", "S_LoadSymbol", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int32_t h = NextHandle();
        if (c.failing) KernelFailNextForTests(c.failing);
        err = 0, id = -1;
        LoadSymbolFromLib(err, id, c.path, c.name);
        EXPECT_EQ(err, 1);
        EXPECT_EQ(SymbolName(-1), c.left);
        EXPECT_EQ(E_GetLibDirName(h, 0), nullptr);
    }
    err = 0, id = -1;
    LoadDeviceFromLib(err, id, symbols, "DFF");  // a symbol library is no part library
    EXPECT_EQ(err, 1);
    EXPECT_TRUE(Keys(DB_DeviceMap()).empty());
}

TEST_F(LibraryObjects, ClearPreviewObjectsDeletesOnlyTheTemporaries) {
    ClearPreviewObjects();  // nothing there: nothing happens
    int32_t err = 0, a = -1, b = -2, d = -1, kept = 0;
    LoadSymbolFromLib(err, a, symbols, "NAND2");
    LoadSymbolFromLib(err, b, symbols, "INV");
    LoadDeviceFromLib(err, d, parts, "7400");
    LoadSymbolFromLib(err, kept, symbols, "DFF");
    ASSERT_GT(kept, 0);
    ClearPreviewObjects();
    EXPECT_EQ(Keys(DB_SymbMap()), std::vector<int32_t>{kept});
    EXPECT_TRUE(Keys(DB_DeviceMap()).empty());
}

TEST_F(LibraryObjects, DrawSymbolAtPlacesTheSymbol) {
    int32_t err = 0, id = -1;
    LoadSymbolFromLib(err, id, symbols, "DFF");
    const auto draw = [&](int32_t x, int32_t y) {
        test::RecordingSink sink;
        DcRec dc{1000, 400, 400, 0, 0, 0};
        G_OpenDC(&sink, dc);
        DrawSymbolAt(id, x, y, 0, 0);
        G_CloseDC();
        return sink.of("polyline");
    };
    const auto at0 = draw(0, 0), moved = draw(50000, -20000);
    ASSERT_FALSE(at0.empty());
    ASSERT_EQ(at0.size(), moved.size());
    EXPECT_DOUBLE_EQ(moved[0].pts[0].x - at0[0].pts[0].x, 50.0);
    EXPECT_DOUBLE_EQ(moved[0].pts[0].y - at0[0].pts[0].y, 20.0) << "Y points up";
}

TEST(PreviewFitting, FramesCentresAndScales) {
    const struct {
        FrameRec items, entries;
        int32_t w, h;
        FrameRec frame;
        int32_t cx, cy, scale;
    } cases[] = {
        // The union of items and entries; 150 x 200 fits 200 x 100 at 2 units a pixel.
        {{0, 0, 100, 100}, {-50, 10, 80, 200}, 200, 100, {-50, 0, 100, 200}, -25, -100, 2542},
        // The centre of 0..5 is 2.5, rounded half to even.
        {{0, 0, 5, 5}, {0, 0, 0, 0}, 200, 100, {0, 0, 5, 5}, -2, -2, 1},
        {{0, 0, 100, 100}, {0, 0, 0, 0}, 200, 100, {0, 0, 100, 100}, -50, -50, 1},
        {{0, 0, 1000000, 500000}, {0, 0, 0, 0}, 200, 100, {0, 0, 1000000, 500000}, -500000, -250000, 7540},
        // A box of no size is taken as one pixel, never divided by.
        {{0, 0, 100, 50}, {0, 0, 0, 0}, 0, -3, {0, 0, 100, 50}, -50, -25, 2640},
        // A frame wider than 32 bits still gives a scale, the largest there is.
        {{INT32_MIN, 0, INT32_MAX, 0}, {0, 0, 0, 0}, 1, 1, {INT32_MIN, 0, INT32_MAX, 0}, 0, 0, INT32_MAX},
    };
    for (const auto& c : cases) {
        const PreviewFit f = ComputePreview(c.items, c.entries, c.w, c.h);
        SCOPED_TRACE(c.scale);
        EXPECT_EQ(f.frame.MinX, c.frame.MinX);
        EXPECT_EQ(f.frame.MinY, c.frame.MinY);
        EXPECT_EQ(f.frame.MaxX, c.frame.MaxX);
        EXPECT_EQ(f.frame.MaxY, c.frame.MaxY);
        EXPECT_EQ(f.centreX, c.cx);
        EXPECT_EQ(f.centreY, c.cy);
        EXPECT_EQ(f.scale, c.scale);
    }
}

}  // namespace
}  // namespace tolvi
