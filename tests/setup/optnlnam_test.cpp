#include "setup/optnlnam.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <string>

#include "common/layer_settings.h"
#include "common/settings_access.h"
#include "platform/qt/tolvi_grid.h"
#include "support/grid_input.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::scriptedUi;

TEST(LayerLabel, AnswersTable) {
    const struct {
        const char* answer;
        const char* shown;
        LabelEdit::Kind kind;
        const char* name;
    } cases[] = {
        {"TWENTY_CHARACTERS_XY", "A", LabelEdit::Take, "TWENTY_CHARACTE"},
        {"ab1", "A", LabelEdit::Take, "ab1            "},
        {"", "A", LabelEdit::Keep, ""},
        {"COMP.MASK", "COMP.MASK ", LabelEdit::Keep, ""},  // confirmed as shown
        {"a,b", "A", LabelEdit::Refuse, ""},
        {"say \"x\"", "A", LabelEdit::Refuse, ""},
    };
    for (const auto& c : cases) {
        const LabelEdit e = TakeLayerLabel(c.answer, c.shown);
        EXPECT_EQ(e.kind, c.kind) << c.answer;
        EXPECT_EQ(e.name, c.name) << c.answer;
    }
}

class LayerLabels : public test::SetupFixture {};

TEST_F(LayerLabels, OpensOnTheFirstFlagAndShowsEveryLayer) {
    auto f = Shown<OPTNLNAM>();
    platform::TolviGrid& g = *f->F_Layer;
    EXPECT_EQ(g.Rows(), 33);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Col(), 2);
    EXPECT_EQ(f->RememberedRow(), 1);
    EXPECT_EQ(g.TextMatrix(0, 1), "Label");
    EXPECT_EQ(g.TextMatrix(1, 0), " 0");
    EXPECT_EQ(g.TextMatrix(32, 0), " 31");
    EXPECT_EQ(g.TextMatrix(2, 1), "COMP.MASK ");
    EXPECT_EQ(g.TextMatrix(7, 2), "No ");
    EXPECT_EQ(g.TextMatrix(4, 1), "INNER1") << "from the settings file";
}

TEST_F(LayerLabels, DoubleClicksRenameAndSwitchLayers) {
    int err = 0;
    IniPutString("LAYERS", "8", "ODD,2,13", err);  // a flag neither 0 nor 1
    auto f = Shown<OPTNLNAM>();
    platform::TolviGrid& g = *f->F_Layer;

    // The layer-number column asks for the label of that row.
    std::string prompt, offered;
    test::AnswerInput("  ab1 ", &prompt, &offered);
    test::DoubleClickCell(g, 5, 0);
    EXPECT_EQ(prompt, "Layer Label\r\nNew (15 characters):");
    EXPECT_EQ(offered, "INNER2");
    EXPECT_EQ(gLayers[4].Name, "ab1            ");
    EXPECT_EQ(g.TextMatrix(5, 1), "ab1            ");

    for (const auto& answer : {std::optional<std::string>(), std::optional<std::string>("   "),
                               std::optional<std::string>("a,b")}) {
        test::AnswerInput(answer);
        test::DoubleClickCell(g, 6, 1);
        EXPECT_EQ(gLayers[5].Name, "GND PLANE") << answer.value_or("(cancelled)");
    }
    EXPECT_EQ(scriptedUi().beeps, 4 + 1) << "one beep per input box, one for the comma";

    test::DoubleClickCell(g, 7, 2);
    EXPECT_EQ(gLayers[6].Enabled, 1);
    EXPECT_EQ(g.TextMatrix(7, 2), "Yes");
    test::DoubleClickCell(g, 7, 2);
    EXPECT_EQ(gLayers[6].Enabled, 0);
    EXPECT_EQ(g.TextMatrix(7, 2), "No ");
    test::DoubleClickCell(g, 9, 2);
    EXPECT_EQ(gLayers[8].Enabled, 0) << "any flag that is on switches off";
}

}  // namespace
}  // namespace tolvi
