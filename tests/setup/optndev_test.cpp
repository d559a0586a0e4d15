#include "setup/optndev.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <string>

#include "common/dialog_state.h"
#include "common/library_lists.h"
#include "common/option_store.h"
#include "kernel/kernel.h"
#include "platform/qt/codec.h"
#include "platform/qt/tolvi_grid.h"
#include "support/grid_input.h"
#include "support/library_builder.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::scriptedUi;

class PartBrowse : public test::SetupFixture {
protected:
    void SetUp() override {
        SetupFixture::SetUp();
        test::LibraryBuilder parts(test::LibraryBuilder::Parts);
        parts.Part("7400", "DIP14 plastic", {"NAND2", "NAND2B", "NAND2C"})
            .Part("BARE", "SO8", {})
            .Part("LEADING", " DIP14", {"X"});
        gPartLibPath = dir.File("P.PART");
        ASSERT_TRUE(parts.Save(gPartLibPath));
    }

    // Shows the part through ShowOptionForm; script acts on the shown dialog (null: none is
    // expected to show).
    void Show(const std::string& name, std::function<void(OPTNDEV&)> script) {
        gPartName = name;
        gPartOK = 7;
        if (script)
            scriptedUi().QueueModal(
                "OPTNDEV", [script = std::move(script)](QWidget* f) { script(*static_cast<OPTNDEV*>(f)); });
        QWidget* form = new OPTNDEV;
        ShowOptionForm(form, 0);
    }
};

TEST_F(PartBrowse, ShowsTheGroupsAndHandsBackTheChosenSymbol) {
    const struct {
        const char* part;
        int clickRow;  // 0: no click
        bool accept;
        int rows;
        const char* row2;
        const char* package;
        const char* symbol;
        int32_t ok;
    } cases[] = {
        {"7400", 0, true, 4, " 2", "DIP14", "NAND2", -1},
        {"7400", 2, true, 4, " 2", "DIP14", "NAND2B", -1},
        {"7400", 3, false, 4, " 2", "DIP14", "NAND2C", 0},
        {"BARE", 0, true, 2, "", "SO8", "", -1},   // no groups: one blank row
        {"LEADING", 0, true, 2, "", "", "X", -1},  // a package field starting with a blank
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.part) + " row " + std::to_string(c.clickRow));
        std::string caption, shownPackage;
        int rows = 0;
        std::string row2;
        Show(c.part, [&](OPTNDEV& f) {
            caption = platform::FromQString(f.windowTitle());
            shownPackage = platform::FromQString(f.F_LaySmb->text());
            rows = f.F_Device->Rows();
            row2 = f.F_Device->TextMatrix(2, 0);
            EXPECT_EQ(f.F_Device->TextMatrix(0, 1), "Symbol");
            if (c.clickRow) test::ClickCell(*f.F_Device, c.clickRow, 0);
            (c.accept ? f.F_Accept : f.F_Cancel)->click();
        });
        scriptedUi().Verify();
        EXPECT_EQ(caption, c.part);
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(row2, c.row2);
        EXPECT_EQ(shownPackage, c.package);
        EXPECT_EQ(gPartPackage, c.package);
        EXPECT_EQ(gPartSymbol, c.symbol);
        EXPECT_EQ(gPartOK, c.ok);
        EXPECT_EQ(gPartDevId, -1);
        EXPECT_NE(D_Device(-1), 0) << "the part stays loaded as the temporary device";
    }
}

TEST_F(PartBrowse, APartTheLibraryDoesNotHoldEndsAsCancelledUnshown) {
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    Show("7401", nullptr);
    EXPECT_TRUE(scriptedUi().modalForms.empty());
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't Load Part: 7401");
    EXPECT_EQ(scriptedUi().boxes[0].title, "Part Browse");
    EXPECT_EQ(scriptedUi().boxes[0].style, 4144);
    EXPECT_EQ(gPartOK, 0);
    EXPECT_EQ(gModalDepth, 0);
}

}  // namespace
}  // namespace tolvi
