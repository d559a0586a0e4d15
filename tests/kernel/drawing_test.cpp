// Framing, drawing into a sink, text metrics and the vector font.
#include <cmath>
#include <fstream>
#include <functional>

#include "kernel/draw_sink.h"
#include "kernel/vector_font.h"
#include "kernel_test_support.h"
#include "support/recording_sink.h"

namespace kt {
namespace {

using tolvi::test::RecordingSink;

int32_t AddItem(int32_t array, ItemRec r) { return OA_Add(array, I_MakeItem(r)); }

ItemRec Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width = 0) {
    ItemRec r;
    r.Kind = 1, r.X = x1, r.Y = y1, r.P2 = x2, r.P3 = y2, r.Width = width;
    return r;
}

int32_t Trace(std::initializer_list<std::array<int32_t, 4>> records) {
    const int32_t t = T_CreateTrace(0, 0, 0);
    for (const auto& r : records) {
        if (r[0] == 'A')
            T_InsertArcRecord(t, -1, 0, r[1], r[2], r[3]);
        else
            T_InsertRecord(t, -1, 0, r[1], r[2], r[3]);
    }
    return t;
}

int32_t Branch(std::initializer_list<std::pair<int32_t, int32_t>> pts) {
    const int32_t b = B_CreateBranch(0, 0, 0);
    for (auto [x, y] : pts) B_InsertRecord(b, -1, x, y);
    return b;
}

std::string Str(const ExtentRec& e) {
    return std::to_string(e.X1) + "," + std::to_string(e.Y1) + " " + std::to_string(e.X2) + "," +
           std::to_string(e.Y2);
}
std::string Str(const FrameRec& f) {
    return std::to_string(f.MinX) + "," + std::to_string(f.MinY) + " " + std::to_string(f.MaxX) + "," +
           std::to_string(f.MaxY);
}

class DrawingTest : public KernelTest {};

// --- framing ---------------------------------------------------------------------------------

TEST_F(DrawingTest, TraceFramesCoverPointsHalfWidthsAndArcBoxes) {
    const int32_t straight = Trace({{'S', 0, 0, 1000}, {'S', 10000, 0, 2000}});
    const int32_t arc = Trace({{'S', 3000, 4000, 0}, {'A', 5000, 5000, 3000}, {'S', 7000, 4000, 0}});
    struct Case {
        int32_t sel;
        int32_t count;
        std::string extent;
    } cases[] = {
        {straight, 2, "-500,-1000 11000,1000"},
        {arc, 3, "2000,2000 8000,8000"},
        {-1, 5, "-500,-1000 11000,8000"},
        {-5, 0, "untouched"},
        {999, 0, "untouched"},
    };
    for (const Case& c : cases) {
        ExtentRec e{7, 7, 7, 7};
        EXPECT_EQ(T_FrameTraceLines(c.sel, 63, e), c.count) << c.sel;
        EXPECT_EQ(Str(e), c.count ? c.extent : "7,7 7,7") << c.sel;
    }
}

TEST_F(DrawingTest, BranchFramesFollowThePageSelector) {
    Branch({{100, 200}, {-300, 400}});
    ASSERT_EQ(DB_CreatePage(2, "SECOND"), 2);
    ASSERT_EQ(DB_SetCurPage(2), 2);
    const int32_t onTwo = Branch({{5000, 6000}, {7000, 8000}, {9000, -1000}});
    ASSERT_EQ(DB_CreatePage(3, "EMPTY"), 3);
    struct Case {
        int32_t sel;
        int32_t count;
        std::string extent;
    } cases[] = {
        {-101, 2, "-300,200 100,400"},
        {-102, 3, "5000,-1000 9000,8000"},
        {-1, 5, "-300,-1000 9000,8000"},
        {onTwo, 3, "5000,-1000 9000,8000"},
        {-103, 0, ""},
        {-100, 0, ""},
    };
    for (const Case& c : cases) {
        ExtentRec e{7, 7, 7, 7};
        EXPECT_EQ(B_FrameBranchLines(c.sel, 63, e), c.count) << c.sel;
        EXPECT_EQ(Str(e), c.count ? c.extent : "7,7 7,7") << c.sel;
    }
}

TEST_F(DrawingTest, SymbolFramesHonourTheLocationAndAnEmptySymbolFramesZero) {
    const int32_t s = S_CreateSymbol(0, "RES");
    AddItem(S_SymbolItemArray(s), Line(0, 0, 10000, 0, 200));
    S_InsertEntry(s, 1, -2000, 500);
    S_InsertEntry(s, 2, 12000, -500);
    const int32_t empty = S_CreateSymbol(0, "EMPTY");

    FrameRec items, entries;
    S_SetCompLocation(0, 0, 0, 0);
    EXPECT_EQ(S_FrameSymbolItems(s, -1, items), 1);
    EXPECT_EQ(Str(items), "-100,-100 10100,100");
    EXPECT_EQ(S_FrameSymbolEntries(s, -1, entries), 2);
    EXPECT_EQ(Str(entries), "-2000,-500 12000,500");

    // Turned a quarter and moved: the line now runs up from (1000, 1000).
    S_SetCompLocation(1000, 1000, 90000, 0);
    EXPECT_EQ(S_FrameSymbolItems(s, -1, items), 1);
    EXPECT_EQ(Str(items), "900,900 1100,11100");
    // Mirrored: X turns over before the move.
    S_SetCompLocation(0, 0, 0, 1);
    EXPECT_EQ(S_FrameSymbolEntries(s, -1, entries), 2);
    EXPECT_EQ(Str(entries), "-12000,-500 2000,500");

    // A frame record still holding an earlier symbol's extent must not pass for this one's.
    EXPECT_EQ(S_FrameSymbolItems(empty, -1, items), 0);
    EXPECT_EQ(Str(items), "0,0 0,0");
    EXPECT_EQ(S_FrameSymbolEntries(empty, -1, entries), 0);
    EXPECT_EQ(Str(entries), "0,0 0,0");
}

// --- drawing ---------------------------------------------------------------------------------

constexpr uint32_t kRed = 0xFF0000, kDarkRed = 0x800000, kDarkBlue = 0x000080, kBlack = 0;

void ExpectPoint(const IDrawSink::Point& p, double x, double y, const std::string& what) {
    EXPECT_NEAR(p.x, x, 1e-6) << what;
    EXPECT_NEAR(p.y, y, 1e-6) << what;
}

TEST_F(DrawingTest, LayoutLandsCentredWithYUpScaledAndInLayerColours) {
    Trace({{'S', 0, 0, 25400}, {'S', 100000, 0, 25400}, {'S', 100000, 20000, 2000}});
    RecordingSink sink;
    DcRec rec{1000, 200, 100, 50000, 0, 4};
    G_SetColor(93);
    ASSERT_NE(G_OpenDC(&sink, rec), 0);
    T_DrawAllRecords(-1, 1);
    G_CloseDC();

    EXPECT_EQ(sink.begins, 1);
    EXPECT_EQ(sink.ends, 1);
    EXPECT_EQ(sink.width, 200);
    const auto lines = sink.of("polyline");
    ASSERT_EQ(lines.size(), 2u);
    ExpectPoint(lines[0].pts[0], 50, 50, "first point: 50 mm left of the centre");
    ExpectPoint(lines[0].pts[1], 150, 50, "second point");
    ExpectPoint(lines[1].pts[1], 150, 30, "up in the design is up in the box");
    EXPECT_NEAR(lines[0].widthPx, 25.4, 1e-9);
    EXPECT_EQ(lines[1].widthPx, 2) << "width of the record the segment ends at";
    EXPECT_EQ(lines[0].rgb, kRed) << "copper layer colour (palette 9)";

    // A fixed colour wins over the object colours; thin strokes stay one pixel wide.
    RecordingSink fixed;
    G_SetColor(0);
    rec.Scale = 100000;
    G_OpenDC(&fixed, rec);
    T_DrawAllRecords(-1, 1);
    G_CloseDC();
    ASSERT_FALSE(fixed.ops.empty());
    EXPECT_EQ(fixed.ops[0].rgb, kBlack);
    EXPECT_EQ(fixed.ops[0].widthPx, 1);
}

TEST_F(DrawingTest, SchematicDrawsWiresJunctionsAndPlacedSymbols) {
    const int32_t sym = S_CreateSymbol(0, "BAR");
    AddItem(S_SymbolItemArray(sym), Line(0, 0, 1000, 0));
    C_CreateComponent(0, "U1", 0, 0, sym, 0, 5000, 5000, 90000);  // a quarter turn
    C_CreateComponent(0, "U2", 2, 0, sym, 0, 5000, 5000, 0);      // mirrored
    Branch({{0, 0}, {10000, 0}});
    J_CreateJunction(0, 0, 10000, 0);
    ASSERT_EQ(DB_CreatePage(2, "OTHER"), 2);
    ASSERT_EQ(DB_SetCurPage(2), 2);
    Branch({{0, 0}, {0, 10000}});  // not on page 1
    ASSERT_EQ(DB_SetCurPage(1), 1);

    RecordingSink sink;
    DcRec rec{100, 200, 200, 5000, 5000, 0};
    G_SetColor(61);
    G_OpenDC(&sink, rec);
    B_DrawAllRecords(-101, 1);
    C_DrawAllComponents(1);
    J_DrawAllJunctions(1);
    G_CloseDC();

    const auto lines = sink.of("polyline");
    ASSERT_EQ(lines.size(), 3u);
    ExpectPoint(lines[0].pts[0], 50, 150, "wire start");
    ExpectPoint(lines[0].pts[1], 150, 150, "wire end");
    EXPECT_NEAR(lines[0].widthPx, 50.8, 1e-9) << "wire width of table 14";
    EXPECT_EQ(lines[0].rgb, kDarkRed) << "wire category colour";
    ExpectPoint(lines[1].pts[0], 100, 100, "U1 at the centre");
    ExpectPoint(lines[1].pts[1], 100, 90, "U1's line turned to point up");
    ExpectPoint(lines[2].pts[1], 90, 100, "U2's line mirrored to the left");
    EXPECT_EQ(lines[1].rgb, kDarkBlue) << "component outline colour";
    const auto dots = sink.of("ellipse");
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_TRUE(dots[0].filled);
    EXPECT_NEAR(dots[0].x + dots[0].w / 2, 150, 1e-9);
    EXPECT_NEAR(dots[0].y + dots[0].h / 2, 150, 1e-9);
    EXPECT_NEAR(dots[0].w, 4 * 50.8, 1e-9);
}

TEST_F(DrawingTest, ArcSpansHoldForAnglesAndPointsFarApart) {
    const int32_t sym = S_CreateSymbol(0, "ARCS");
    ItemRec a;
    a.Kind = 5, a.P2 = 1000, a.P3 = 0, a.P4 = 90000;
    AddItem(S_SymbolItemArray(sym), a);
    a.P3 = -2000000000, a.P4 = 2000000000;  // 4,000,000 degrees: whole turns and 40 more
    AddItem(S_SymbolItemArray(sym), a);
    Trace({{'S', -2000000000, 0, 0}, {'A', 2000000000, 0, 10}, {'S', 2000000000, 2000000000, 0}});

    RecordingSink sink;
    DcRec rec{1000000, 100, 100, 0, 0, 4};
    S_SetCompLocation(0, 0, 0, 0);
    G_OpenDC(&sink, rec);
    S_DrawSymbol(sym, -1, -1);
    T_DrawAllRecords(-1, 1);
    G_CloseDC();

    const auto arcs = sink.of("arc");
    ASSERT_EQ(arcs.size(), 3u);
    EXPECT_NEAR(arcs[0].span, 90, 1e-6);
    EXPECT_NEAR(arcs[1].span, 40, 1e-6);
    EXPECT_NEAR(arcs[2].start, 180, 1e-6) << "the trace comes in from the far left";
    EXPECT_NEAR(arcs[2].span, 270, 1e-6);
}

TEST_F(DrawingTest, NothingIsDrawnWithoutAnOpenContext) {
    Trace({{'S', 0, 0, 100}, {'S', 1000, 0, 100}});
    EXPECT_EQ(T_DrawAllRecords(-1, 1), 0);
    EXPECT_EQ(G_Text(0, 0, "A"), 0);
    EXPECT_EQ(G_CloseDC(), 0);
    DcRec rec{1, 10, 10, 0, 0, 4};
    EXPECT_EQ(G_OpenDC(nullptr, rec), 0);
}

// --- text ------------------------------------------------------------------------------------

TEST_F(DrawingTest, TextSizeFollowsTheSixUnitGrid) {
    struct Case {
        int32_t wf, hf, n, x, y;
    } cases[] = {{1000, 2000, 0, 0, 0},
                 {1000, 2000, 1, 5000, 12000},
                 {1000, 2000, 4, 23000, 12000},
                 {4233, 4233, 4, 97359, 25398},
                 {1000, 1000, -3, 0, 0}};
    for (const Case& c : cases) {
        TextExtent e{9, 9};
        G_GetTextSize(c.wf, c.hf, c.n, e);
        EXPECT_EQ(e.X, c.x) << c.n;
        EXPECT_EQ(e.Y, c.y) << c.n;
    }
}

// The ink of a drawn text, in database units (scale 1, centre 0 at pixel 0, 0 of a 0 x 0 box).
struct Ink {
    double x1 = 1e18, y1 = 1e18, x2 = -1e18, y2 = -1e18;
    size_t strokes = 0;
};
Ink InkOf(const RecordingSink& sink) {
    Ink ink;
    for (const auto& o : sink.of("polyline")) {
        ++ink.strokes;
        for (const auto& p : o.pts) {
            ink.x1 = std::min(ink.x1, p.x), ink.x2 = std::max(ink.x2, p.x);
            ink.y1 = std::min(ink.y1, -p.y), ink.y2 = std::max(ink.y2, -p.y);
        }
    }
    return ink;
}

Ink DrawText(const char* text) {
    RecordingSink sink;
    DcRec rec{1, 0, 0, 0, 0, 0};
    G_OpenDC(&sink, rec);
    G_Text(0, 0, text);
    G_CloseDC();
    return InkOf(sink);
}

TEST_F(DrawingTest, TextDrawnMatchesItsMeasuredSizeAndStateSetBeforeOpening) {
    // As the text-size dialog does it: everything set before the context opens.
    G_SetStyle(0);
    G_SetColor(0);
    G_SetWidth(50);
    G_SetTextMode(0, 1000, 2000);
    RecordingSink sink;
    DcRec rec{1, 0, 0, 0, 0, 0};
    G_OpenDC(&sink, rec);
    G_Text(-11500, -6000, "AbCd");
    G_CloseDC();

    TextExtent e;
    G_GetTextSize(1000, 2000, 4, e);
    const Ink ink = InkOf(sink);
    EXPECT_DOUBLE_EQ(ink.x1, -e.X / 2.0);
    EXPECT_DOUBLE_EQ(ink.x2, e.X / 2.0);
    EXPECT_DOUBLE_EQ(ink.y1, -e.Y / 2.0);
    EXPECT_DOUBLE_EQ(ink.y2, e.Y / 2.0);
    ASSERT_FALSE(sink.ops.empty());
    EXPECT_EQ(sink.ops[0].widthPx, 50);
    EXPECT_EQ(sink.ops[0].rgb, kBlack);
}

std::string FontFile(const std::string& dir, const std::string& name, const std::string& text) {
    std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST_F(DrawingTest, AFontFileThatDoesNotLoadLeavesTheBuiltInFontDrawing) {
    G_SetTextMode(0, 1, 1);
    const Ink builtIn = DrawText("A");
    ASSERT_EQ(builtIn.strokes, 2u);
    const size_t builtInB = DrawText("B").strokes;
    TempDir dir;
    const std::string ownA =
        FontFile(dir.dir(), "own.tvf", "TVF1\r\n# one stroke\r\nG 65 6\r\nM 0 0\r\nL 5 6\r\n");
    ASSERT_NE(G_VectorFontLoad(ownA.c_str()), 0);
    EXPECT_EQ(DrawText("A").strokes, 1u);
    EXPECT_EQ(DrawText("B").strokes, builtInB) << "characters the file leaves out";
    const char* bad[] = {
        "",
        "TVF2\nG 65 6\nM 0 0\nL 5 6\n",
        "TVF1\nG 65 7\nM 0 0\nL 5 6\n",  // not monospaced
        "TVF1\nG 65 6\nM 0 0\nL 6 6\n",  // off the grid
        "TVF1\nG 65 6\nL 5 6\n",         // a line without a start
        "TVF1\nM 0 0\n",                 // a stroke outside a glyph
        "TVF1\nG 65 6\nM 0 0\nQ 1 1\n",
        "TVF1\nG 65 6\nM 0 0 0\n",
        "TVF1\nG 65 6\nG 65 6\n",  // one glyph twice
        "TVF1\nG 300 6\n",
    };
    int i = 0;
    for (const char* text : bad) {
        ASSERT_NE(G_VectorFontLoad(ownA.c_str()), 0);
        const std::string path = FontFile(dir.dir(), "bad" + std::to_string(i++) + ".tvf", text);
        EXPECT_EQ(G_VectorFontLoad(path.c_str()), 0) << text;
        EXPECT_EQ(DrawText("A").strokes, 2u) << "built-in font after " << text;
    }
    EXPECT_EQ(G_VectorFontLoad(dir.path("missing.tvf").c_str()), 0);
    EXPECT_EQ(G_VectorFontLoad(dir.dir().c_str()), 0) << "a directory";
    EXPECT_EQ(G_VectorFontLoad(nullptr), 0);
}

TEST_F(DrawingTest, TheShippedFontIsTheBuiltInOneAndCoversPrintableAscii) {
    const std::string shipped =
        std::string(__FILE__).substr(0, std::string(__FILE__).rfind("/tests/")) + "/resources/QUV32VFONT.TVF";
    const std::vector<uint8_t> bytes = ReadBytes(shipped);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), tolvi::kernel::BuiltInFontText());
    EXPECT_NE(G_VectorFontLoad(shipped.c_str()), 0);
    for (int c = 33; c < 127; ++c)
        EXPECT_FALSE(tolvi::kernel::BuiltInFont().glyphs[size_t(c)].strokes.empty()) << char(c);
}

// --- cursors, help, failures -----------------------------------------------------------------

int32_t gHelpCalls = 0;
std::string gHelpSeen;

TEST_F(DrawingTest, CursorsAreTokensAndHelpGoesToTheRegisteredHandler) {
    EXPECT_EQ(G_SelectCur(1), 1);
    EXPECT_EQ(G_SelectCur(2), 2);
    EXPECT_EQ(G_DelCur(2), 0);
    gHelpCalls = 0;
    EXPECT_EQ(H_DispTopic(nullptr, "A.HLP", 3), 0) << "no handler: nothing happens";
    H_SetTopicHandler([](void*, const char* file, int32_t topic) -> int32_t {
        ++gHelpCalls;
        gHelpSeen = std::string(file) + "#" + std::to_string(topic);
        return 1;
    });
    H_DispTopic(nullptr, "A.HLP", 3);
    EXPECT_EQ(gHelpCalls, 1);
    EXPECT_EQ(gHelpSeen, "A.HLP#3");
    KernelResetForTests();
    H_DispTopic(nullptr, "A.HLP", 3);
    EXPECT_EQ(gHelpCalls, 1) << "the reset forgets the handler";
}

TEST_F(DrawingTest, AnArmedFailureHitsOnlyTheNextCallOfThatFunction) {
    ASSERT_EQ(DB_CreatePage(2, "TWO"), 2);
    KernelFailNextForTests("DB_SetCurPage");
    EXPECT_EQ(DB_CurPage(), 1);
    EXPECT_EQ(DB_SetCurPage(2), 0);
    EXPECT_EQ(DB_CurPage(), 1) << "a failed call changes nothing";
    EXPECT_EQ(DB_SetCurPage(2), 2) << "only the next call fails";
    KernelFailNextForTests("DB_PageMap");
    KernelResetForTests();
    ASSERT_NE(DB_CreateDataBase("X", "H", "P"), 0);
    EXPECT_NE(DB_PageMap(), 0) << "the reset disarms";
}

}  // namespace
}  // namespace kt
