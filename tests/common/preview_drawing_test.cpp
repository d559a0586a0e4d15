#include "common/preview_drawing.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "common/db_session.h"
#include "kernel/kernel.h"
#include "kernel/qt/qpainter_sink.h"
#include "platform/qt/preview_canvas.h"
#include "support/recording_sink.h"

namespace tolvi {
namespace {

using test::RecordingSink;

void OpenDesign() {
    ASSERT_NE(DB_CreateDataBase("D", "MAINHIER", "MAINPAGE"), 0);
    gPageSelector = -100 - DB_CurPage();
}

void Trace(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width) {
    const int32_t t = T_CreateTrace(0, 0, 0);
    T_InsertRecord(t, -1, 0, x1, y1, width);
    T_InsertRecord(t, -1, 0, x2, y2, width);
}

void Wire(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int32_t b = B_CreateBranch(0, 0, 0);
    B_InsertRecord(b, -1, x1, y1);
    B_InsertRecord(b, -1, x2, y2);
}

std::string Frame() {
    return std::to_string(gFrameCount) + " " + std::to_string(gFrameX1) + "," + std::to_string(gFrameY1) +
           " " + std::to_string(gFrameX2) + "," + std::to_string(gFrameY2) + " " + std::to_string(gFrameW) +
           "x" + std::to_string(gFrameH);
}

TEST(PreviewFrames, EachMeasurementReplacesTheLastAndAnEmptyOneClearsIt) {
    OpenDesign();
    FrameBranchLines();
    EXPECT_EQ(Frame(), "0 0,0 0,0 0x0") << "a page without wires";
    Wire(-1000, 500, 3000, 2500);
    FrameBranchLines();
    EXPECT_EQ(Frame(), "-1 -1000,500 3000,2500 4000x2000") << "found after nothing";
    FrameTraceLines();
    EXPECT_EQ(Frame(), "0 0,0 0,0 0x0") << "nothing after something";
    ASSERT_EQ(DB_CreatePage(2, "OTHER"), 2);
    ASSERT_EQ(DB_SetCurPage(2), 2);
    gPageSelector = -102;
    FrameBranchLines();
    EXPECT_EQ(gFrameCount, 0) << "the wires of another page";
}

TEST(PreviewFrames, WidthAndHeightDoNotWrapBeyondThirtyTwoBits) {
    OpenDesign();
    Trace(-2000000000, -2000000000, 2000000000, 2000000000, 0);
    FrameTraceLines();
    EXPECT_EQ(gFrameCount, -1);
    EXPECT_EQ(gFrameW, 4000000000LL);
    EXPECT_EQ(gFrameH, 4000000000LL);
}

TEST(PreviewFrames, TheWholeDrawingFramesComponentsJunctionsAndTextsToo) {
    OpenDesign();
    const int32_t wireWidth = 1000;  // junctions are drawn with a radius of twice the wire width
    E_MemCopy(E_SysTable(SysWireWidth), &wireWidth, 4);
    ASSERT_EQ(S_CreateSymbol(1, "LINE"), 1);
    ItemRec line;
    line.Kind = 1, line.P2 = 10000, line.P3 = 5000;
    ASSERT_NE(OA_Add(S_SymbolItemArray(1), I_MakeItem(line)), 0);

    FrameAllSchematic();
    EXPECT_EQ(Frame(), "0 0,0 0,0 0x0") << "an empty page";
    ASSERT_NE(C_CreateComponent(0, "U1", 0, 0, 1, 0, 100000, 200000, 0), 0);
    ASSERT_NE(J_CreateJunction(0, 0, -3000, -4000), 0);
    FrameAllSchematic();
    EXPECT_EQ(Frame(), "-1 -5000,-6000 110000,205000 115000x211000") << "no wire at all";
    FrameBranchLines();
    EXPECT_EQ(gFrameCount, 0) << "the wires' own measurement stays as it was";

    FrameAllLayout();
    EXPECT_EQ(Frame(), "0 0,0 0,0 0x0") << "an empty layout";
    ASSERT_NE(L_CreateComponent(0, "P1", 0, 0, 1, 0, 1000, 2000, 0), 0);
    FrameAllLayout();
    EXPECT_EQ(Frame(), "-1 1000,2000 11000,7000 10000x5000") << "no trace at all";
    ASSERT_NE(OA_Add(DB_LayoutTextArray(), I_MakeText(500000, 500000, 0, 25400, 25400, "T", 0, 0, 0)), 0);
    FrameAllLayout();
    EXPECT_EQ(gFrameX1, 1000);
    EXPECT_GT(gFrameX2, 500000) << "the free text";
    EXPECT_GT(gFrameY2, 500000);
}

TEST(PreviewDrawing, LayoutAndSchematicDrawInTheirOrderAndModes) {
    OpenDesign();
    Trace(0, 0, 10000, 0, 1000);
    const int32_t pad = S_MakePadStack();
    S_ChangePadStackHole(pad, 500, 0);
    OM_Add(DB_PadStackMap(), pad, 1);
    V_CreateVia(0, 0, 10000, 0, 1, 0);
    Wire(0, 0, 0, 10000);
    J_CreateJunction(0, 0, 0, 10000);

    RecordingSink layout;
    DcRec rec{100, 300, 200, 5000, 0, 4};
    G_OpenDC(&layout, rec);
    DrawAllLayout();
    G_CloseDC();
    ASSERT_EQ(layout.ops.size(), 2u);
    EXPECT_EQ(layout.ops[0].kind, "polyline");
    EXPECT_EQ(layout.ops[0].drawMode, 44) << "traces";
    EXPECT_EQ(layout.ops[1].kind, "ellipse");
    EXPECT_EQ(layout.ops[1].drawMode, 36) << "vias after the components";

    RecordingSink schematic;
    rec.Mode = 0;
    G_OpenDC(&schematic, rec);
    DrawAllSchematic();
    G_CloseDC();
    ASSERT_EQ(schematic.ops.size(), 2u);
    EXPECT_EQ(schematic.ops[0].drawMode, 8) << "wires";
    EXPECT_EQ(schematic.ops[1].drawMode, 0) << "junctions";
    EXPECT_TRUE(schematic.ops[1].filled);
}

TEST(ClearPicture, ClearsTheWholeBoxUnderAScaledMappingAndKeepsTheMapping) {
    platform::PreviewCanvas box;
    box.resize(120, 80);
    box.setBackground(Qt::black);
    QPainter& p = box.painter();
    p.scale(0.25, 0.25);
    p.fillRect(0, 0, 480, 320, Qt::red);  // the whole box, drawn under the scaled mapping
    ASSERT_EQ(box.image().pixelColor(119, 79), QColor(Qt::red));

    ClearPicture(box);

    for (QPoint at : {QPoint(0, 0), QPoint(119, 79), QPoint(60, 40), QPoint(119, 0)})
        EXPECT_EQ(box.image().pixelColor(at), QColor(Qt::black)) << at.x() << "," << at.y();
    EXPECT_EQ(p.transform(), QTransform::fromScale(0.25, 0.25));
}

TEST(QPainterSink, GivesThePainterBackAsItFoundIt) {
    QImage image(50, 50, QImage::Format_RGB32);
    QPainter p(&image);
    p.translate(5, 5);
    p.setPen(QPen(Qt::green, 3));
    QPainterSink sink(p);
    sink.begin(50, 50);
    sink.setPen(0xFF0000, 7, 0, 0);
    sink.setBrush(true, 0x0000FF);
    p.translate(10, 10);
    sink.end();
    EXPECT_EQ(p.transform(), QTransform::fromTranslate(5, 5));
    EXPECT_EQ(p.pen().color(), QColor(Qt::green));
    EXPECT_EQ(p.pen().widthF(), 3);
    sink.end();  // an unbalanced end restores nothing of the caller's
    EXPECT_EQ(p.transform(), QTransform::fromTranslate(5, 5));
}

TEST(PreviewCanvas, ShowsTheLayoutDrawnIntoIt) {
    OpenDesign();
    // One trace across the middle of the box, 10 pixels wide, in the copper colour (red).
    Trace(-40000, 0, 40000, 0, 10000);
    platform::PreviewCanvas box;
    box.resize(200, 100);
    box.setBackground(Qt::black);
    ClearPicture(box);
    FrameTraceLines();
    const int32_t scale = 1000;
    DcRec rec{scale, 200, 100, int32_t(gFrameX1 + gFrameW / 2), int32_t(gFrameY1 + gFrameH / 2), 4};
    QPainterSink sink(box.painter());
    G_OpenDC(&sink, rec);
    DrawAllLayout();
    G_CloseDC();

    box.show();
    const QImage shown = box.grab().toImage();
    const QColor red(255, 0, 0), black(0, 0, 0);
    for (int x : {65, 100, 135}) EXPECT_EQ(shown.pixelColor(x, 50), red) << "on the trace at " << x;
    EXPECT_EQ(shown.pixelColor(100, 40), black) << "beside the trace";
    EXPECT_EQ(shown.pixelColor(10, 50), black) << "beyond its end";
    EXPECT_EQ(shown.pixelColor(100, 60), black) << "beside the trace";
}

}  // namespace
}  // namespace tolvi
