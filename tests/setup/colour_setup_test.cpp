#include "setup/colour_setup.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <vector>

#include "common/colour_settings.h"
#include "common/layer_settings.h"
#include "common/settings_access.h"
#include "platform/qt/color_swatch.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

std::vector<std::string> VisibleEntries(const ColourSetupDialog& f) {
    std::vector<std::string> out;
    for (QRadioButton* r : f.F_LayerN)
        if (r->isVisible()) out.push_back(r->text().toStdString());
    return out;
}

QColor Back(const ColourSetupDialog& f) { return f.F_Back->palette().color(QPalette::Window); }
QColor Ink(const ColourSetupDialog& f) { return f.F_Back->palette().color(QPalette::WindowText); }

class ColourDialogs : public test::SetupFixture {};

TEST_F(ColourDialogs, LayoutCategoriesShowTheNamedOnesAndTheBackgroundFollowsItsCategory) {
    auto f = Shown<OPTNCLLC>();
    EXPECT_EQ(VisibleEntries(*f),
              (std::vector<std::string>{"Comp. Entry", "Via hole", "Node Marker", "Comp. Entry (Mirror)",
                                        "Airgaps", "Board Outline", "Grid", "Background"}));
    EXPECT_TRUE(f->F_LayerN[0]->isChecked());
    EXPECT_EQ(f->F_Back->text().toStdString(), "Comp. Entry");
    EXPECT_EQ(f->F_Color[12]->color(), platform::ColorFromCode(gPalette[12]));
    const QColor background = Back(*f);

    QTest::mouseClick(f->F_LayerC[0], Qt::LeftButton);
    f->F_Color_Click(12);
    EXPECT_EQ(gLayCategories[0].Colour, 12);
    EXPECT_EQ(Back(*f), background) << "not the background category";
    EXPECT_EQ(Ink(*f), platform::ColorFromCode(gPalette[12]));

    QTest::mouseClick(f->F_LayerC[7], Qt::LeftButton);  // id 63
    EXPECT_TRUE(f->F_LayerN[7]->isChecked());
    EXPECT_EQ(f->Selected(), 7);
    QTest::mouseClick(f->F_Color[12], Qt::LeftButton);
    EXPECT_EQ(gLayCategories[7].Colour, 12);
    EXPECT_EQ(gLayBackColor, gPalette[12]);
    EXPECT_EQ(Back(*f), platform::ColorFromCode(gPalette[12]));
    EXPECT_EQ(f->F_LayerC[7]->color(), platform::ColorFromCode(gPalette[12]));
}

TEST_F(ColourDialogs, SchematicCategoriesAndLayers) {
    auto sch = Shown<OPTNCLSC>();
    EXPECT_EQ(VisibleEntries(*sch).size(), 19u);
    sch->F_LayerC_Click(18);  // id 31, the schematic background
    sch->F_Color_Click(3);
    EXPECT_EQ(gSchBackColor, gPalette[3]);

    const int32_t layBack = gLayBackColor;
    auto lay = Shown<OPTNLCLR>();
    EXPECT_EQ(VisibleEntries(*lay).size(), 32u);
    EXPECT_EQ(lay->F_LayerN[3]->text().toStdString(), "INNER1");
    QTest::mouseClick(lay->F_LayerC[5], Qt::LeftButton);
    lay->F_Color_Click(3);
    EXPECT_EQ(gLayers[5].Colour, 3);
    EXPECT_EQ(gLayBackColor, layBack);
    EXPECT_EQ(lay->F_Back->text().toStdString(), "GND PLANE");
}

TEST_F(ColourDialogs, AnEmptyCategoryTableOpens) {
    int err = 0;
    for (const char* key : {"32", "33", "34", "35", "60", "61", "62", "63"})
        IniPutString("CATEGORIES", key, "", err);
    auto f = Shown<OPTNCLLC>();
    EXPECT_TRUE(VisibleEntries(*f).empty());
    f->F_Color_Click(4);
    EXPECT_TRUE(f->isVisible());
}

}  // namespace
}  // namespace tolvi
