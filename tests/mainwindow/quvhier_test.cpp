#include "mainwindow/quvhier.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/context_help.h"
#include "common/layer_settings.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/db_fixture.h"
#include "platform/qt/codec.h"
#include "platform/qt/preview_canvas.h"
#include "support/design_builder.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::scriptedUi;

std::string Text(const QComboBox* box) { return platform::FromQString(box->currentText()); }

std::vector<std::string> Items(const QComboBox* box) {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(box->count()));
    for (int i = 0; i < box->count(); ++i) items.push_back(platform::FromQString(box->itemText(i)));
    return items;
}

// Every hierarchy's name, in map order.
std::vector<std::string> Hierarchies() {
    std::vector<std::string> names;
    const int32_t map = DB_HierarchyMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t h = OM_SearchMask(map, cursor, 0, 0))
        names.push_back(CStrFromPtr(O_GetName(OM_Object(map, h))));
    return names;
}

int32_t HierId(const char* name) { return OM_FindName(DB_HierarchyMap(), name); }
int32_t HierStatus(const char* name) { return O_GetStatus(OM_Object(DB_HierarchyMap(), HierId(name))); }

// A pick from the list part of list Index.
void Pick(QUVHIER& form, int Index, const std::string& name) {
    QComboBox* box = form.F_BrowseList[std::size_t(Index)];
    const int row = box->findText(platform::ToQString(name));
    ASSERT_GE(row, 0) << name << " is not listed";
    emit box->activated(row);
}

// Keys typed into list Index, as the designer types them, after its text was emptied.
void Type(QUVHIER& form, int Index, const std::string& text) {
    QComboBox* box = form.F_BrowseList[std::size_t(Index)];
    box->lineEdit()->clear();
    for (char c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
        QCoreApplication::sendEvent(box, &press);
    }
}

void PressEnter(QUVHIER& form, int Index) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(form.F_BrowseList[std::size_t(Index)], &press);
}

void Leave(QUVHIER& form, int Index) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(form.F_BrowseList[std::size_t(Index)], &out);
}

std::string Message(const QUVHIER& form) { return platform::FromQString(form.F_MsgLine->text()); }

// Whether the preview shows anything but its background.
bool Drawn(platform::PreviewCanvas& box) {
    const QImage& image = box.image();
    const QRgb back = box.background().rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != back) return true;
    return false;
}

// The hooks of the current hierarchy, one line per component in map order:
// "<name> <x>,<y> <symbol> flags=<flags> field=<twelfth value> | <text> <x>,<y> w=<width> | net <name>
// kind <flags> pin <entry>".
std::vector<std::string> Hooks() {
    std::vector<std::string> lines;
    const int32_t comps = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(comps);
    while (const int32_t c = OM_SearchMask(comps, cursor, 0, 0)) {
        SchCompRec comp;
        C_ReadComponent(c, comp);
        SymbolRec symbol;
        S_ReadSymbol(comp.Symbol, symbol);
        std::string line = CStrFromPtr(comp.Name) + " " + std::to_string(comp.X) + "," +
                           std::to_string(comp.Y) + " " + CStrFromPtr(symbol.Name) +
                           " flags=" + std::to_string(comp.Flags) + " field=" + std::to_string(comp.Kept12);
        ItemRec text;
        if (I_ReadItem(OA_Object(C_CompTextArray(c), 1), text) != 0)
            line += " | " + CStrFromPtr(text.Text) + " " + std::to_string(text.X) + "," +
                    std::to_string(text.Y) + " w=" + std::to_string(text.Width);
        const int32_t nets = DB_NetMap();
        int32_t n = OM_GetFirst(nets);
        while (const int32_t net = OM_SearchMask(nets, n, 0, 0)) {
            NetRec netRec;
            N_ReadNet(net, netRec);
            const int32_t nodes = N_NodeMap(net);
            int32_t k = OM_GetFirst(nodes);
            while (const int32_t node = OM_SearchMask(nodes, k, 0, 0)) {
                NodeRec rec;
                N_ReadNode(net, node, rec);
                if (rec.SchComp == c)
                    line += " | net " + CStrFromPtr(netRec.Name) + " kind " + std::to_string(netRec.Flags) +
                            " pin " + std::to_string(rec.SchEntry);
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// How many symbols are called name.
int SymbolsCalled(const std::string& name) {
    int count = 0;
    const int32_t map = DB_SymbMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, cursor, 0, 0))
        count += CStrFromPtr(O_GetName(S_Symbol(id))) == name;
    return count;
}

// A design of MAINHIER and SUB2 with pages MAINPAGE and PAGE2 each, block symbols BLOCKA (three
// pins) and BLOCKB, the symbol GATE and the layout symbol PADS; MAINHIER current.
class HierBrowser : public test::DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        ASSERT_TRUE(designs::BuildHierarchyDesign({2, 2, 0}));
        UpdateMainCaption(gDbHandle);
    }

    // The browser as the menu loads it, laid out at its size.
    static std::unique_ptr<QUVHIER> Open() {
        auto form = std::make_unique<QUVHIER>();
        form->Form_Load();
        form->Form_Resize();
        return form;
    }
};

TEST_F(HierBrowser, OpensOnTheCurrentHierarchyAndPageAndEndsWithTheBitsClear) {
    for (const bool accept : {true, false}) {
        auto form = Open();
        EXPECT_EQ(Items(form->F_BrowseList[0]), (std::vector<std::string>{"MAINHIER", "SUB2"}));
        EXPECT_EQ(Items(form->F_BrowseList[1]), (std::vector<std::string>{"MAINPAGE", "PAGE2"}));
        EXPECT_EQ(Items(form->F_BrowseList[2]), (std::vector<std::string>{"BLOCKA", "BLOCKB"}))
            << "blocks only";
        EXPECT_EQ(Text(form->F_BrowseList[0]), "MAINHIER");
        EXPECT_EQ(Text(form->F_BrowseList[1]), "MAINPAGE");
        EXPECT_EQ(Text(form->F_BrowseList[2]), "New Hierarchy:");
        EXPECT_EQ(Message(*form), " Select hierarchy/page");
        EXPECT_EQ(HierStatus("SUB2"), 0x80);
        EXPECT_TRUE(Drawn(*form->ViewPicture[0]));
        EXPECT_TRUE(Drawn(*form->ViewPicture[1]));
        accept ? form->F_Accept_Click() : form->F_Cancel_Click();
        EXPECT_EQ(HierStatus("MAINHIER"), 0);
        EXPECT_EQ(HierStatus("SUB2"), 0);
        EXPECT_EQ(Hierarchies(), (std::vector<std::string>{"MAINHIER", "SUB2"}));
    }
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(HierBrowser, AHierarchyMadeFromABlockSymbolStaysOnAcceptAndGoesOnCancel) {
    // The new hierarchy takes the layer labels and switches of the settings file; the option sets
    // in memory and the settings of the whole design stay as they are.
    {
        SettingsOperation op;
        int err = 0;
        IniPutString("LAYERS", "1", "TOPSIDE,0,5", err);
    }
    for (const bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "Accept" : "Cancel");
        ASSERT_TRUE(designs::BuildHierarchyDesign({2, 2, 0}));
        UpdateMainCaption(gDbHandle);
        gLayers[1].Name = "IN MEMORY";
        uint8_t colours[32], after[32];
        E_MemCopy(colours, E_SysTable(SysLayerColors), 32);

        auto form = Open();
        Pick(*form, 2, "BLOCKA");
        EXPECT_EQ(Message(*form), " Hierarchy: BLOCKA created O.K");
        EXPECT_EQ(Text(form->F_BrowseList[2]), "New Hierarchy:");
        EXPECT_EQ(Items(form->F_BrowseList[0]), (std::vector<std::string>{"MAINHIER", "SUB2", "BLOCKA"}));
        EXPECT_EQ(HierStatus("BLOCKA"), 0x280);
        EXPECT_EQ(gCurHierName, "MAINHIER") << "the hierarchy that was current stays current";
        EXPECT_EQ(DB_CurHier(), HierId("MAINHIER"));
        EXPECT_EQ(gLayers[1].Name, "IN MEMORY");
        E_MemCopy(after, E_SysTable(SysLayerColors), 32);
        EXPECT_EQ(std::memcmp(colours, after, 32), 0);

        ASSERT_NE(DB_SetCurHier(HierId("BLOCKA")), 0);
        EXPECT_EQ(OM_FindName(DB_PageMap(), "MAINPAGE"), 1);
        EXPECT_EQ(DB_CurPage(), 1);
        LoadLayerNames();
        EXPECT_EQ(gLayers[1].Name, "TOPSIDE");
        EXPECT_EQ(gLayers[1].Enabled, 0);
        DB_SetCurHier(HierId("MAINHIER"));

        accept ? form->F_Accept_Click() : form->F_Cancel_Click();
        EXPECT_EQ(Hierarchies(), accept ? (std::vector<std::string>{"MAINHIER", "SUB2", "BLOCKA"})
                                        : (std::vector<std::string>{"MAINHIER", "SUB2"}));
        if (accept) {
            EXPECT_EQ(HierStatus("BLOCKA"), 0);
        }
    }
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(HierBrowser, AFailedCreationSaysSoAndLeavesNothingBehind) {
    struct Case {
        const char* what;
        const char* name;
        std::function<void(QUVHIER&)> before;
    };
    const Case cases[] = {
        {"the same symbol twice", "BLOCKA", [](QUVHIER& f) { Pick(f, 2, "BLOCKA"); }},
        {"its hierarchy marked for deletion", "BLOCKB",
         [](QUVHIER& f) {
             O_Mask(OM_Object(DB_HierarchyMap(), DB_CreateHierarchy(0, "BLOCKB")), 0x80, 0x80);
             f.FillList(0);
             Pick(f, 0, "BLOCKB");
             scriptedUi().QueueAnswer(platform::kAnswerYes);
             f.F_Delete_Click();
         }},
        {"a layout symbol", "PADS", nullptr},
        {"an unknown name", "NOSUCH", nullptr},
        {"the hierarchy not made", "BLOCKA", [](QUVHIER&) { KernelFailNextForTests("DB_CreateHierarchy"); }},
        {"the hierarchy not selectable", "BLOCKA", [](QUVHIER&) { KernelFailNextForTests("DB_SetCurHier"); }},
        {"the page not made", "BLOCKA", [](QUVHIER&) { KernelFailNextForTests("DB_CreatePage"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto form = Open();
        if (c.before) c.before(*form);
        const std::vector<std::string> before = Hierarchies();
        scriptedUi().boxes.clear();
        scriptedUi().QueueAnswer(platform::kAnswerOk);
        Type(*form, 2, c.name);
        PressEnter(*form, 2);
        ASSERT_EQ(scriptedUi().boxes.size(), 1u);
        EXPECT_EQ(scriptedUi().boxes[0].text, std::string("Can't Create Hierarchy: ") + c.name);
        EXPECT_EQ(scriptedUi().boxes[0].style, 4144);
        EXPECT_EQ(scriptedUi().boxes[0].title, gAppTitle);
        EXPECT_EQ(Hierarchies(), before);
        EXPECT_EQ(DB_CurHier(), HierId("MAINHIER"));
        EXPECT_EQ(Text(form->F_BrowseList[2]), "New Hierarchy:");
        form->F_Cancel_Click();
        OM_Delete(DB_HierarchyMap(), HierId("BLOCKB"));  // made by hand, not by the browser
        EXPECT_EQ(Hierarchies(), (std::vector<std::string>{"MAINHIER", "SUB2"}));
    }
}

TEST_F(HierBrowser, EveryPinOfTheBlockGetsANetHookOnOneSharedHookSymbol) {
    auto form = Open();
    form->F_hooks->setChecked(true);
    Pick(*form, 2, "BLOCKA");
    Pick(*form, 2, "BLOCKB");
    EXPECT_EQ(Message(*form), " Hierarchy: BLOCKB created O.K");
    EXPECT_EQ(gCurHierName, "MAINHIER");

    ASSERT_NE(DB_SetCurHier(HierId("BLOCKA")), 0);
    EXPECT_EQ(DB_CurPage(), 1);
    EXPECT_EQ(
        Hooks(),
        (std::vector<std::string>{
            "$&@HOOK1 0,-609600 $&@HOOK flags=1 field=1 | IN 50800,50800 w=2540 | net IN kind 5 pin 1",
            "$&@HOOK2 0,-203200 $&@HOOK flags=1 field=1 | OUT 50800,50800 w=2540 | net OUT kind 5 pin 1",
            "$&@HOOK3 0,203200 $&@HOOK flags=1 field=1 | CLK 50800,50800 w=2540 | net CLK kind 5 pin 1",
        }));
    // The second block finds the hook symbol made for the first; its pin names are as wide.
    ASSERT_NE(DB_SetCurHier(HierId("BLOCKB")), 0);
    EXPECT_EQ(Hooks(),
              (std::vector<std::string>{
                  "$&@HOOK1 0,-406400 $&@HOOK flags=1 field=1 | A 50800,50800 w=2540 | net A kind 5 pin 1",
                  "$&@HOOK2 0,0 $&@HOOK flags=1 field=1 | B 50800,50800 w=2540 | net B kind 5 pin 1",
              }));
    EXPECT_EQ(SymbolsCalled("$&@HOOK"), 1);

    const int32_t hook = OM_FindName(DB_SymbMap(), "$&@HOOK");
    SymbolRec symbol;
    ASSERT_NE(S_ReadSymbol(hook, symbol), 0);
    EXPECT_EQ(symbol.EntryCount, 1);
    EntryRec pin;
    ASSERT_NE(S_ReadEntry(hook, 1, pin), 0);
    EXPECT_EQ(CStrFromPtr(pin.Name), "HOOK");
    EXPECT_EQ(pin.Status & 1, 1);
    const int32_t items = S_SymbolItemArray(hook);
    ASSERT_EQ(OA_GetCount(items), 2);
    ItemRec line, arrow;
    I_ReadItem(OA_Object(items, 1), line);
    I_ReadItem(OA_Object(items, 2), arrow);
    EXPECT_EQ(std::vector<int32_t>({line.Kind, line.StyleA, line.StyleB, line.Width, line.P2, line.P3}),
              std::vector<int32_t>({1, 44, 0, 2540, -1016000, 0}));
    EXPECT_EQ(std::vector<int32_t>({arrow.Kind, arrow.StyleB, arrow.P2, arrow.P3, arrow.P4, arrow.P5}),
              std::vector<int32_t>({2, 16, -101600, -101600, -101600, 101600}));

    DB_SetCurHier(1);
    form->F_Cancel_Click();
    EXPECT_EQ(Hierarchies(), (std::vector<std::string>{"MAINHIER", "SUB2"})) << "with their nets and hooks";
    EXPECT_EQ(SymbolsCalled("$&@HOOK"), 1) << "the shared symbol stays";
}

TEST_F(HierBrowser, AHookThatCannotBeMadeSaysSoAndTheHierarchyStays) {
    struct Case {
        const char* failing;
        const char* box;
        int hookSymbols;
        size_t hooks;
    };
    const Case cases[] = {
        {"S_CreateSymbol", "Can't create Net hook symbol", 0, 0},
        {"S_InsertEntry", "Can't create Net hook symbol", 0, 0},  // half made: deleted again
        {"OA_Add", "Can't create Net hook symbol", 0, 0},
        {"N_CreateNet", "Can't create Net hook ", 1, 0},
        {"C_CreateComponent", "Can't create Net hook component", 1, 0},
        {"N_CreateNode", "Can't create Net hook node", 1, 1},  // the hooks made so far stay
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        auto form = Open();
        form->F_hooks->setChecked(true);
        scriptedUi().boxes.clear();
        scriptedUi().QueueAnswer(platform::kAnswerOk);
        KernelFailNextForTests(c.failing);
        Pick(*form, 2, "BLOCKA");
        ASSERT_EQ(scriptedUi().boxes.size(), 1u);
        EXPECT_EQ(scriptedUi().boxes[0].text, c.box);
        EXPECT_EQ(HierStatus("BLOCKA"), 0x280);
        EXPECT_EQ(Message(*form), " Hierarchy: BLOCKA created O.K");
        EXPECT_EQ(SymbolsCalled("$&@HOOK"), c.hookSymbols);
        ASSERT_NE(DB_SetCurHier(HierId("BLOCKA")), 0);
        EXPECT_EQ(Hooks().size(), c.hooks);
        DB_SetCurHier(1);
        form->F_Cancel_Click();
        OM_Delete(DB_SymbMap(), OM_FindName(DB_SymbMap(), "$&@HOOK"));
    }
}

TEST(HookPitch, NarrowsOnlyWhenTheHooksWouldSpanTooFar) {
    const std::pair<int64_t, int32_t> cases[] = {
        {1, 406400}, {3, 406400}, {1082, 406400}, {1083, 355600}, {5285, 50800}, {8661, 50800}, {8662, 0},
    };
    for (const auto& [entries, pitch] : cases) EXPECT_EQ(HookPitch(entries), pitch) << entries;
}

TEST_F(HierBrowser, DeleteRefusesTheRootRemovesANewHierarchyAtOnceAndMarksAnOldOne) {
    auto form = Open();
    form->F_Delete_Click();
    EXPECT_EQ(scriptedUi().beeps, 1);
    EXPECT_EQ(Message(*form), " Can't Delete MAINHIER");
    EXPECT_TRUE(scriptedUi().boxes.empty()) << "nothing asked";

    Pick(*form, 2, "BLOCKA");
    Pick(*form, 0, "BLOCKA");
    ASSERT_EQ(gCurHierName, "BLOCKA");
    scriptedUi().QueueAnswer(platform::kAnswerYes);
    form->F_Delete_Click();
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Delete Hierarchy: BLOCKA");
    EXPECT_EQ(HierId("BLOCKA"), 0) << "gone at once";
    EXPECT_EQ(Message(*form), " Hierarchy: BLOCKAdeleted");
    EXPECT_EQ(gCurHierName, "MAINHIER");
    EXPECT_EQ(Text(form->F_BrowseList[0]), "MAINHIER");

    Pick(*form, 0, "SUB2");
    scriptedUi().QueueAnswer(platform::kAnswerNo);
    form->F_Delete_Click();
    EXPECT_EQ(HierStatus("SUB2"), 0x80) << "No leaves it";
    EXPECT_EQ(gCurHierName, "SUB2");
    scriptedUi().QueueAnswer(platform::kAnswerYes);
    form->F_Delete_Click();
    EXPECT_EQ(HierStatus("SUB2"), 0x100);
    EXPECT_EQ(Items(form->F_BrowseList[0]), std::vector<std::string>{"MAINHIER"});
    EXPECT_EQ(gCurHierName, "MAINHIER");
    Type(*form, 0, "SUB2");
    PressEnter(*form, 0);
    EXPECT_EQ(scriptedUi().beeps, 2) << "a marked hierarchy cannot be typed either";
    EXPECT_EQ(Text(form->F_BrowseList[0]), "MAINHIER");

    form->F_Cancel_Click();
    EXPECT_EQ(HierStatus("SUB2"), 0) << "Cancel forgets the mark";
    form = Open();
    Pick(*form, 0, "SUB2");
    scriptedUi().QueueAnswer(platform::kAnswerYes);
    form->F_Delete_Click();
    form->F_Accept_Click();
    EXPECT_EQ(Hierarchies(), std::vector<std::string>{"MAINHIER"});
}

TEST_F(HierBrowser, ATypedNameActsOnEnterOrWhenTheListIsLeft) {
    struct Case {
        const char* what;
        int list;
        const char* typed;  // nullptr: nothing typed
        bool enter;
        const char* hier;
        const char* page;
        int beeps;
    };
    const Case cases[] = {
        {"hierarchy, Enter", 0, "SUB2", true, "SUB2", "MAINPAGE", 0},
        {"hierarchy, left", 0, "SUB2", false, "SUB2", "MAINPAGE", 0},
        {"left untyped", 0, nullptr, false, "MAINHIER", "MAINPAGE", 0},
        {"page, Enter", 1, "PAGE2", true, "MAINHIER", "PAGE2", 0},
        {"unknown hierarchy", 0, "NONE", true, "MAINHIER", "MAINPAGE", 1},
        {"unknown page", 1, "NONE", false, "MAINHIER", "MAINPAGE", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DB_SetCurHier(1);
        DB_SetCurPage(1);
        UpdateMainCaption(gDbHandle);
        scriptedUi().beeps = 0;
        auto form = Open();
        if (c.typed) Type(*form, c.list, c.typed);
        c.enter ? PressEnter(*form, c.list) : Leave(*form, c.list);
        EXPECT_EQ(gCurHierName, c.hier);
        EXPECT_EQ(gCurPageName, c.page);
        EXPECT_EQ(Text(form->F_BrowseList[0]), c.hier);
        EXPECT_EQ(Text(form->F_BrowseList[1]), c.page);
        EXPECT_EQ(scriptedUi().beeps, c.beeps);
        form->F_Accept_Click();
    }
}

TEST_F(HierBrowser, TheMenuCommandTellsTheModulesOnlyWhatChanged) {
    struct Case {
        const char* what;
        std::function<void(QUVHIER&)> script;
        bool up;
        bool stackReset;
        const char* hier;
    };
    const Case cases[] = {
        {"nothing", [](QUVHIER& f) { f.F_Accept_Click(); }, false, false, "MAINHIER"},
        {"the page",
         [](QUVHIER& f) {
             Pick(f, 1, "PAGE2");
             f.F_Accept_Click();
         },
         true, false, "MAINHIER"},
        {"the hierarchy",
         [](QUVHIER& f) {
             Pick(f, 0, "SUB2");
             f.F_Accept_Click();
         },
         true, true, "SUB2"},
        {"a hierarchy, then Cancel",
         [](QUVHIER& f) {
             Pick(f, 0, "SUB2");
             Pick(f, 1, "PAGE2");
             f.reject();  // Esc or the close box
         },
         false, false, "MAINHIER"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DB_SetCurHier(1);
        DB_SetCurPage(1);
        gHelpTopic = 0;
        mods.journal.clear();
        const int32_t stack = F_CreateFile(0, "HIERSTCK");
        F_Write(stack, "SAVED", 5);
        std::string mode;
        scriptedUi().QueueModal("QUVHIER", [&](QWidget* w) {
            mode = std::to_string(ParseAppState(CStrFromPtr(E_GetString("TOLVI32"))).w4);
            c.script(*static_cast<QUVHIER*>(w));
        });
        M_Hier_Click();
        EXPECT_EQ(mode, "-1") << "busy to the other applications while shown";
        EXPECT_EQ(ParseAppState(CStrFromPtr(E_GetString("TOLVI32"))).w4, 0);
        EXPECT_EQ(gHelpTopic, HelpTopicId(8, 0, 0, 0));
        EXPECT_EQ(Heard("UP"), c.up);
        EXPECT_EQ(F_GetLength(OM_FindName(DB_FileMap(), "HIERSTCK")), c.stackReset ? 0 : 5);
        EXPECT_EQ(gCurHierName, c.hier);
        OM_Delete(DB_FileMap(), OM_FindName(DB_FileMap(), "HIERSTCK"));
    }
}

TEST_F(HierBrowser, PreviewsFrameEverythingTheyDrawAndAPageChangesOnlyTheSchematic) {
    // A hierarchy whose page holds a component alone and whose layout a component alone; another
    // with nothing at all.
    const int32_t parts = DB_CreateHierarchy(0, "PARTS");
    ASSERT_NE(DB_SetCurHier(parts), 0);
    ASSERT_EQ(DB_CreatePage(1, "MAINPAGE"), 1);
    ASSERT_NE(DB_SetCurPage(1), 0);
    ASSERT_NE(C_CreateComponent(0, "G1", 0, 0, 3, 0, 0, 0, 0), 0);  // GATE
    ASSERT_NE(L_CreateComponent(0, "P1", 0, 0, 4, 0, 0, 0, 0), 0);  // PADS
    const int32_t empty = DB_CreateHierarchy(0, "EMPTY");
    ASSERT_NE(DB_SetCurHier(empty), 0);
    ASSERT_EQ(DB_CreatePage(1, "MAINPAGE"), 1);
    DB_SetCurHier(1);
    UpdateMainCaption(gDbHandle);

    auto form = Open();
    Pick(*form, 0, "PARTS");
    EXPECT_TRUE(Drawn(*form->ViewPicture[0]));
    EXPECT_TRUE(Drawn(*form->ViewPicture[1]));
    EXPECT_GT(form->mViewScale[0], 1);
    Pick(*form, 0, "EMPTY");
    EXPECT_FALSE(Drawn(*form->ViewPicture[0]));
    EXPECT_FALSE(Drawn(*form->ViewPicture[1]));

    Pick(*form, 0, "MAINHIER");
    const QImage schematic = form->ViewPicture[0]->image().copy();
    const QImage layout = form->ViewPicture[1]->image().copy();
    Pick(*form, 1, "PAGE2");
    EXPECT_NE(form->ViewPicture[0]->image(), schematic);
    EXPECT_EQ(form->ViewPicture[1]->image(), layout);
    form->F_Cancel_Click();
}

}  // namespace
}  // namespace tolvi
