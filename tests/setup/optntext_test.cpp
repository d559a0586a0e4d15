#include "setup/optntext.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <string>

#include "common/settings_access.h"
#include "common/size_settings.h"
#include "platform/qt/preview_canvas.h"
#include "platform/qt/tolvi_grid.h"
#include "support/grid_input.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::scriptedUi;

TEST(TextSize, TypedValuesTable) {
    const struct {
        int col;
        const char* text;
        bool taken;
        int32_t height, lineWidth;
    } cases[] = {
        {0, "0.02", true, 8467, 999},   {2, "0.0002", true, 777, 508},   {3, "0.00508", true, 777, 508},
        {1, "100", true, 1666667, 999}, {3, "0.00507", false, 777, 999}, {1, "100.001", false, 777, 999},
        {1, "", false, 777, 999},       {0, "abc", false, 777, 999},
    };
    for (const auto& c : cases) {
        TextSizeRec rec{777, 777, 999};
        EXPECT_EQ(CommitTextSize(rec, c.col, c.text), c.taken) << c.text;
        EXPECT_EQ(rec.Height, c.height) << c.text;
        EXPECT_EQ(rec.Width, c.height) << c.text;
        EXPECT_EQ(rec.LineWidth, c.lineWidth) << c.text;
    }
    const TextSizeRec rec{8467, 8467, 508};
    EXPECT_EQ(TextSizeCell(rec, 0, '.'), "0.0200");
    EXPECT_EQ(TextSizeCell(rec, 1, '.'), "0.508");
    EXPECT_EQ(TextSizeCell(rec, 2, '.'), "0.0002");
    EXPECT_EQ(TextSizeCell(rec, 3, '.'), "0.005");
}

class TextSizes : public test::SetupFixture {};

TEST_F(TextSizes, LayoutRowsShowTheLineDcodeOfTheirWidth) {
    auto f = Shown<OPTNTEXT>();
    platform::TolviGrid& lay = *f->F_Sizes[1];
    EXPECT_EQ(f->F_Sizes[0]->Cols(), 4);
    EXPECT_EQ(lay.TextMatrix(0, 4), "Dcode");
    EXPECT_EQ(lay.TextMatrix(0, 1), "mm");
    EXPECT_EQ(lay.TextMatrix(1, 4), "D13* ") << "25400 is a size of the table";
    EXPECT_EQ(lay.TextMatrix(2, 4), "D10* ");
    EXPECT_EQ(lay.TextMatrix(3, 4), "         ") << "33020 is not";
    EXPECT_EQ(lay.TextMatrix(1, 0), "0.0600");
    EXPECT_EQ(lay.TextMatrix(1, 1), "1.524");
    EXPECT_EQ(f->RememberedRow(0), 1);
    EXPECT_EQ(f->RememberedRow(1), 1);
}

TEST_F(TextSizes, DoubleClicksAskByColumnAndChangeOnlyWhatIsTyped) {
    int err = 0;
    IniPutString("TEXTS", "T3", "457200, 12345", err);
    auto f = Shown<OPTNTEXT>();
    platform::TolviGrid& sch = *f->F_Sizes[0];
    platform::TolviGrid& lay = *f->F_Sizes[1];

    // The D-code column edits the height in inch of its row.
    std::string label;
    test::AnswerInput("0.1", &label);
    test::DoubleClickCell(lay, 4, 4);
    EXPECT_EQ(label, "Layout Text\r\nText Height (inch):");
    EXPECT_EQ(lay.Col(), 0);
    EXPECT_EQ(gTextSizes[20].Height, 42333);
    EXPECT_EQ(lay.TextMatrix(4, 0), "0.1000");

    // Confirming the shown, rounded width keeps 12345; cancelling and clearing change nothing.
    const int beeps = scriptedUi().beeps;
    test::AnswerInput(sch.TextMatrix(3, 3));
    test::DoubleClickCell(sch, 3, 3);
    test::AnswerInput(std::nullopt);
    test::DoubleClickCell(sch, 3, 3);
    test::AnswerInput("");
    test::DoubleClickCell(sch, 3, 3);
    EXPECT_EQ(gTextSizes[3].LineWidth, 12345);
    EXPECT_EQ(scriptedUi().beeps, beeps + 3) << "only the input boxes' own beeps";
    test::AnswerInput("101");
    test::DoubleClickCell(sch, 3, 1);
    EXPECT_EQ(scriptedUi().beeps, beeps + 5) << "above 100 mm";
    EXPECT_EQ(gTextSizes[3].Height, 76200);
}

// The sample is drawn in the kernel's vector font, centred in its box, larger for a larger size.
TEST_F(TextSizes, SampleIsCentredAndFollowsTheRow) {
    auto f = Shown<OPTNTEXT>();
    const auto inked = [&](int grid) {
        const QImage img = f->ViewPicture[std::size_t(grid)]->image();
        QRect box;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
        return std::pair(box, img.size());
    };
    f->F_Sizes[1]->SetRow(15);
    f->F_Sizes_Click(1);
    const auto [big, size] = inked(1);
    ASSERT_FALSE(big.isEmpty());
    EXPECT_LE(std::abs(big.left() - (size.width() - 1 - big.right())), 3);
    EXPECT_LE(std::abs(big.top() - (size.height() - 1 - big.bottom())), 3);
    f->F_Sizes[1]->SetRow(3);
    f->F_Sizes_Click(1);
    const QRect small = inked(1).first;
    ASSERT_FALSE(small.isEmpty());
    EXPECT_LT(small.width(), big.width());
}

}  // namespace
}  // namespace tolvi
