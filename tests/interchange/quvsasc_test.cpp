// The save-and-export window: what it shows by mode, what every result leaves behind (status
// line, file, option scope, selection, marks, buttons), and the dictionary pickers.
#include "interchange/quvsasc.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

#include "common/dictionaries.h"
#include "common/option_store.h"
#include "interchange/export_fixture.h"
#include "platform/qt/codec.h"
#include "support/design_builder.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::scriptedUi;

// The scripted Ui whose yield presses the window's Cancel button.
class CancellingUi : public test::ScriptedUi {
public:
    QUVSASC* form = nullptr;
    void DoEvents() override {
        ScriptedUi::DoEvents();
        if (!form) return;
        EXPECT_FALSE(form->F_InpFile[1]->isEnabled()) << "no picker while the export runs";
        EXPECT_FALSE(form->F_Continue->isEnabled());
        form->F_Cancel->click();
    }
};

class QuvsascTest : public test::ExportTest {
protected:
    // A board big enough for every writer to yield, with page 2 of hierarchy 1 current.
    void BuildDesign() {
        designs::BoardSize size;
        size.layComps = 30, size.pinsPerComp = 4, size.nets = 60, size.nodesPerNet = 3;
        designs::BuildBoard(size);
        ASSERT_EQ(DB_CreatePage(2, "P2"), 2);
        ASSERT_EQ(DB_SetCurPage(2), 2);
        Adopt();
    }
    void InCurrentScope() {
        SetOptionScope(OptionScope::Current);
        test::recordingHost().MarkOptionScope(true);
    }
    static bool AnyMarked() {
        int32_t c = OM_GetFirst(DB_NetMap());
        if (OM_SearchMask(DB_NetMap(), c, 0x100, 0x100) != 0) return true;
        for (int32_t net = 1; net <= 60; ++net) {
            int32_t n = OM_GetFirst(N_NodeMap(net));
            if (OM_SearchMask(N_NodeMap(net), n, 0x100, 0x100) != 0) return true;
        }
        return false;
    }
    static std::string Message(const QUVSASC& form) { return platform::FromQString(form.F_MsgLine->text()); }

    QMainWindow window;
};

TEST_F(QuvsascTest, EveryModeAndResult) {
    struct ModeCase {
        int32_t mode;
        const char* caption;
        bool partFrame, packFrame;
        const char* kind;
    };
    const ModeCase modes[] = {
        {1, "Tolvi32 - Saving ASCII Database ", false, false, "Database "},
        {2, "Tolvi32 - Exporting Tolvi32/ZOT3Wirelist", true, true, "Wirelist(Tolvi32/ZOT3 format) "},
        {3, "Tolvi32 - Exporting Scicards Nelist", false, false, "Netlist (Scicards format) "},
        {4, "Tolvi32 - Exporting OrCad PCB II WireList", true, false, "Wirelist (OrCad PCB II format) "},
    };
    struct ResultCase {
        int32_t result;
        const char* text;
    };
    const ResultCase results[] = {{0, "saved O.K"}, {1, "failed - Disk Error"}, {2, "save cancelled"}};
    BuildDesign();
    for (const ModeCase& m : modes) {
        for (const ResultCase& r : results) {
            SCOPED_TRACE("mode " + std::to_string(m.mode) + ", result " + std::to_string(r.result));
            CancellingUi cancelling;
            if (r.result == 2) platform::SetUi(&cancelling);
            const std::string old = tmp.Write("out.txt", "old\r\n");
            gExportFile = r.result == 1 ? tmp.File("no such dir/out.txt") : old;
            gExportMode = m.mode;
            InCurrentScope();
            O_Mask(N_Net(1), 0x100, 0x100);  // a mark left over: the OrCad export clears every one
            if (r.result == 1) scriptedUi().QueueAnswer(1);

            QUVSASC form(&window);
            cancelling.form = &form;
            form.Form_Load();
            EXPECT_EQ(platform::FromQString(form.windowTitle()), m.caption);
            EXPECT_EQ(form.F_FileSELFrame[1]->isVisibleTo(&form), m.partFrame);
            EXPECT_EQ(form.F_FileSELFrame[2]->isVisibleTo(&form), m.packFrame);
            EXPECT_EQ(Message(form), "File: " + gExportFile);
            form.show();
            form.F_Continue->click();
            platform::SetUi(&scriptedUi());

            EXPECT_EQ(Message(form), std::string(m.kind) + r.text);
            if (r.result == 0) {
                EXPECT_NE(Read("out.txt"), "old\r\n");
            } else {
                EXPECT_EQ(Read("out.txt"), "old\r\n");
            }
            if (r.result == 1) {
                ASSERT_EQ(scriptedUi().boxes.size(), 1u);
                EXPECT_EQ(scriptedUi().boxes[0].text, "Can't create/write to file: " + gExportFile);
                scriptedUi().Reset();
            }
            EXPECT_EQ(gOptCurrent, 0);
            EXPECT_FALSE(test::recordingHost().scopeCurrent) << "Default checked, Current not";
            EXPECT_EQ(DB_CurHier(), 1);
            EXPECT_EQ(DB_CurPage(), 2);
            if (m.mode == 4) {
                EXPECT_FALSE(AnyMarked());
            }
            EXPECT_FALSE(form.F_Continue->isVisible()) << "one export per showing";
            EXPECT_TRUE(form.F_Return->isVisible());
            EXPECT_FALSE(form.F_Cancel->isVisible());
            EXPECT_EQ(FileCount(), 1) << "a temporary file left behind";
        }
    }
}

TEST_F(QuvsascTest, AFileThatCannotReachTheDiskIsNoSuccess) {
    const std::string old = tmp.Write("out.NET", "old\r\n");
    gExportFile = old;
    gExportMode = 3;
    scriptedUi().QueueAnswer(1);
    QUVSASC form(&window);
    form.Form_Load();
    {
        test::FileSizeLimit limit(20);  // the 8 lines of an empty netlist need more
        form.F_Continue_Click();
    }
    EXPECT_EQ(Message(form), "Netlist (Scicards format) failed - Disk Error");
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't create/write to file: " + old);
    EXPECT_EQ(Read("out.NET"), "old\r\n");
}

TEST_F(QuvsascTest, DictionaryPickers) {
    const std::string tdd = tmp.Write("parts.TDD", "7400,SN7400\r\n");
    const std::string tds = tmp.Write("packs.TDS", "DIP14,DIP-14\r\n");
    gExportMode = 2;
    gExportFile = tmp.File("out.WRL");
    QUVSASC form(&window);
    form.Form_Load();
    EXPECT_EQ(platform::FromQString(form.F_InpFileName[1]->text()), gSysDir);

    scriptedUi().QueueFile(tdd);
    form.F_InpFile[1]->click();
    scriptedUi().QueueFile(tds);
    form.F_InpFile[2]->click();
    ASSERT_EQ(scriptedUi().fileDialogs.size(), 2u);
    const platform::FileDialogRequest& r = scriptedUi().fileDialogs[0];
    EXPECT_EQ(r.title, "Select Dictionary for Part Names:");
    EXPECT_EQ(r.filter, "Part Names Dic.(*.TDD)|*.TDD");
    EXPECT_EQ(r.defaultExt, "TDD");
    EXPECT_EQ(r.initDir, gSysDir);
    EXPECT_EQ(r.flags, 0x1804);
    EXPECT_EQ(scriptedUi().fileDialogs[1].filter, "Package Names Dic.(*.TDS)|*.TDS");
    ASSERT_EQ(gPartDic.size(), 2u);
    EXPECT_EQ(gPartDic[1].Replacement, "SN7400");
    ASSERT_EQ(gPackDic.size(), 2u);
    EXPECT_EQ(platform::FromQString(form.F_InpFileName[1]->text()), tdd);
    EXPECT_EQ(Message(form), "File: " + gExportFile) << "the status line comes back";

    // Cancelling the picker drops the dictionary picked before; the other one stays.
    scriptedUi().QueueFile(std::nullopt);
    form.F_InpFile[1]->click();
    EXPECT_EQ(gPartDic.size(), 1u);
    EXPECT_EQ(platform::FromQString(form.F_InpFileName[1]->text()), gSysDir);
    EXPECT_EQ(gPackDic.size(), 2u);

    // The next showing starts without dictionaries.
    QUVSASC next(&window);
    next.Form_Load();
    EXPECT_EQ(gPackDic.size(), 1u);
}

}  // namespace
}  // namespace tolvi
