#include "common/option_store.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/colour_settings.h"
#include "common/dialog_state.h"
#include "common/general_settings.h"
#include "common/grid_settings.h"
#include "common/layer_settings.h"
#include "common/library_lists.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "option_fixture.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::recordingHost;
using test::scriptedUi;
using Calls = std::vector<std::string>;

// What the load handler of the last TestForm saw.
int gLoads = 0;
int32_t gRefreshAtLoad = 0;

// A dialog with a load handler, as the setup dialogs have.
class TestForm : public QWidget {
    Q_OBJECT
public:
    explicit TestForm(const QString& caption, bool failLoad = false) : failLoad_(failLoad) {
        setObjectName("OPTNTEST");
        setWindowTitle(caption);
    }
    Q_INVOKABLE void Form_Load() {
        ++gLoads;
        gRefreshAtLoad = gDlgRefresh;
        if (failLoad_) throw std::runtime_error("load failed");
        gDlgRefresh = 0;
    }

private:
    bool failLoad_;
};

// Shows a TestForm and returns the caption it had while it was open.
std::string ShowAndTakeCaption(const std::string& caption, int32_t addSuffix) {
    std::string shown;
    scriptedUi().QueueModal("OPTNTEST", [&](QWidget* f) {
        shown = f->windowTitle().toStdString();
        f->hide();
    });
    QWidget* form = new TestForm(QString::fromStdString(caption));
    ShowOptionForm(form, addSuffix);
    return shown;
}

using ShowOptionFormTest = test::OptionFixture;

TEST_F(ShowOptionFormTest, CaptionCarriesOneScopeSuffixWhenAskedFor) {
    const struct {
        const char* caption;
        int32_t addSuffix;
        int32_t scope;
        const char* shown;
    } cases[] = {
        {"Text Sizes", -1, 0, "Text Sizes (Default)"},
        {"Text Sizes", 1, -1, "Text Sizes (Current)"},
        {"Text Sizes (Default)", -1, 1, "Text Sizes (Current)"},
        {"Grid (mm) setup", -1, 0, "Grid (Default)"},
        {"Layers(x)", -1, 0, "Layers(x) (Default)"},
        {"Tolvi32 -  Conductor Widths & Sizes ", -1, -1, "Tolvi32 -  Conductor Widths & Sizes  (Current)"},
        {"Apertures (Default)", 0, 1, "Apertures (Default)"},
        {"", -1, 0, " (Default)"},
    };
    for (const auto& c : cases) {
        SetOptionScope(c.scope != 0 ? OptionScope::Current : OptionScope::Default);
        EXPECT_EQ(ShowAndTakeCaption(c.caption, c.addSuffix), c.shown) << c.caption;
    }
}

TEST_F(ShowOptionFormTest, RaisesDepthAndStopsTheTimerWhileOpen) {
    const struct {
        float backupOn;
        Calls calls;
    } cases[] = {
        {1.0f, {"backup: off", "publish", "publish", "backup: on"}},
        {0.0f, {"backup: off", "publish", "publish"}},
    };
    for (const auto& c : cases) {
        recordingHost().Reset();
        recordingHost().backupTimer = true;
        scriptedUi().Reset();
        gBackupOn = c.backupOn;
        gLoads = 0;
        int32_t depthInside = -1;
        Calls callsInside;
        scriptedUi().QueueModal("OPTNTEST", [&](QWidget* f) {
            depthInside = gModalDepth;
            callsInside = recordingHost().calls;
            f->hide();
        });
        auto* form = new TestForm("Backup");
        QPointer<QWidget> watch(form);
        QWidget* frm = form;
        ShowOptionForm(frm, 1);

        EXPECT_EQ(gLoads, 1);
        EXPECT_EQ(gRefreshAtLoad, -1);
        EXPECT_EQ(depthInside, 1);
        EXPECT_EQ(callsInside, (Calls{"backup: off", "publish"}));
        EXPECT_EQ(recordingHost().calls, c.calls);
        EXPECT_EQ(recordingHost().backupTimer, c.backupOn != 0);
        EXPECT_EQ(gModalDepth, 0);
        EXPECT_EQ(frm, nullptr);
        EXPECT_TRUE(watch.isNull());
        EXPECT_EQ(scriptedUi().pointerChanges, (std::vector<bool>{true, false}));
    }
}

TEST_F(ShowOptionFormTest, NestedDialogLeavesTheTimerOffForTheOuterOne) {
    gBackupOn = 1;
    bool timerAfterInner = true;
    scriptedUi().QueueModal("OPTNTEST", [&](QWidget* outer) {
        scriptedUi().QueueModal("OPTNTEST", [&](QWidget* inner) {
            EXPECT_EQ(gModalDepth, 2);
            inner->hide();
        });
        QWidget* inner = new TestForm("Part");
        ShowOptionForm(inner, 0);
        EXPECT_EQ(gModalDepth, 1);
        timerAfterInner = recordingHost().backupTimer;
        outer->hide();
    });
    QWidget* outer = new TestForm("Libraries");
    ShowOptionForm(outer, 0);
    EXPECT_FALSE(timerAfterInner);
    EXPECT_TRUE(recordingHost().backupTimer);
    EXPECT_EQ(gModalDepth, 0);
}

TEST_F(ShowOptionFormTest, FailureWhileLoadingOrRunningRestoresAndPassesOn) {
    gBackupOn = 1;
    {
        SCOPED_TRACE("load");
        recordingHost().backupTimer = true;
        auto* form = new TestForm("Grid", /*failLoad=*/true);
        QPointer<QWidget> watch(form);
        QWidget* frm = form;
        EXPECT_THROW(ShowOptionForm(frm, 1), std::runtime_error);
        EXPECT_EQ(gModalDepth, 0);
        EXPECT_TRUE(watch.isNull());
        EXPECT_EQ(frm, nullptr);
        EXPECT_FALSE(scriptedUi().BusyPointer());
        EXPECT_EQ(recordingHost().calls, (Calls{"publish"}));  // the timer was never stopped
        EXPECT_TRUE(scriptedUi().modalForms.empty());
    }
    {
        SCOPED_TRACE("run");
        recordingHost().Reset();
        scriptedUi().QueueModal("OPTNTEST", [](QWidget*) { throw std::runtime_error("run failed"); });
        auto* form = new TestForm("Grid");
        QPointer<QWidget> watch(form);
        QWidget* frm = form;
        EXPECT_THROW(ShowOptionForm(frm, 1), std::runtime_error);
        EXPECT_EQ(gModalDepth, 0);
        EXPECT_TRUE(watch.isNull());
        EXPECT_EQ(recordingHost().calls, (Calls{"backup: off", "publish", "publish", "backup: on"}));
    }
}

// A dialog is one settings operation: what it stores is written when it closes, and a settings
// file that cannot be written costs one box.
TEST_F(ShowOptionFormTest, WhatADialogStoresIsWrittenOnceWhenItCloses) {
    for (const bool writable : {true, false}) {
        SCOPED_TRACE(writable);
        scriptedUi().Reset();
        if (!writable) {
            gIniFile = dir.File("gone/TOLVI32.INI");
            scriptedUi().QueueAnswer(platform::kAnswerOk);
        }
        std::string whileOpen = "unset";
        scriptedUi().QueueModal("OPTNTEST", [&](QWidget* f) {
            int err = 0;
            IniPutString("Tolvi32", "BackupInt", " 7", err);
            IniPutString("Tolvi32", "BackupON", " 1", err);
            whileOpen = dir.Read("TOLVI32.INI");
            f->hide();
        });
        QWidget* form = new TestForm("Backup");
        ShowOptionForm(form, 0);
        if (writable) {
            EXPECT_EQ(whileOpen, "");
            EXPECT_EQ(IniText(), "[Tolvi32]\r\nBackupInt= 7\r\nBackupON= 1\r\n");
        }
        EXPECT_EQ(scriptedUi().boxes.size(), writable ? 0u : 1u);
    }
}

TEST_F(ShowOptionFormTest, AStaleVerdictNeverOutlivesAShowingAndAFormEndedWhileLoadingIsNotShown) {
    gDlgAccepted = -1;  // left by an earlier dialog
    int32_t verdictWhileOpen = 1;
    scriptedUi().QueueModal("OPTNTEST", [&](QWidget* f) {
        verdictWhileOpen = gDlgAccepted;
        f->close();  // neither Accept nor Cancel
    });
    QWidget* form = new TestForm("Layers");
    ShowOptionForm(form, 0);
    EXPECT_EQ(verdictWhileOpen, 0);
    EXPECT_EQ(gDlgAccepted, 0);

    gBackupOn = 1;
    recordingHost().Reset();
    auto* ended = new TestForm("Part");
    ended->setProperty("formEnded", true);
    QPointer<QWidget> watch(ended);
    QWidget* frm = ended;
    ShowOptionForm(frm, 0);
    EXPECT_EQ(scriptedUi().modalForms.size(), 1u) << "only the first form was shown";
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(gModalDepth, 0);
    EXPECT_TRUE(recordingHost().backupTimer);
}

// --- the dispatchers ---------------------------------------------------------------------------

using OptionDispatch = test::OptionFixture;

TEST_F(OptionDispatch, CurrentScopeLoadsPerDatabaseSetsFromTheDatabase) {
    WriteIni(
        "[Tolvi32]\r\nLibDir=/lib/tolvi\r\nPickTable=9,9,9,9,9\r\n"
        "[POSTART]\r\nAper=GERB1\r\n"
        "[TEXTS]\r\nT1=600,6\r\n"
        "[SIZES]\r\nBuswidth=1\r\n"
        "[LAYERS]\r\n0=FileLayer,0,1\r\n"
        "[CATEGORIES]\r\n0=FileLabel,3\r\n");
    SetTableInt(8, 0, 4);
    E_SysTable(1)[0] = 22;
    SetOptionScope(OptionScope::Current);
    LoadAllOptionSets();
    // From the database.
    EXPECT_EQ(gTextSizes[1].Height, 25400);
    EXPECT_EQ(gBusWidth, 50800);
    EXPECT_EQ(gLayers[0].Name, "COMP.PRINT");
    EXPECT_EQ(gPickArea[0], 4);
    // From the file, colours laid over from the database.
    EXPECT_EQ(gSchCategories[0].Name, "FileLabel");
    EXPECT_EQ(gSchCategories[0].Colour, 22);
    // File-only sets.
    EXPECT_EQ(gLibDir, "/lib/tolvi");
    EXPECT_EQ(gPadstackLib, "/lib/tolvi/PADSTACK.PADSTACK");
    EXPECT_EQ(gAperFile, "GERB1");
}

TEST_F(OptionDispatch, SaveAllLeavesDirectoriesPadstacksBackupAndStartupAlone) {
    LoadAllOptionSets();
    gJobDir = "/elsewhere";
    gPadstackLib = "/elsewhere/P.PADSTACK";
    gBackupOn = 1;
    gBackupInt = 10;
    gAppsStart = {1, 1, 1, 1};
    for (int32_t scope : {0, 1}) {
        SetOptionScope(scope != 0 ? OptionScope::Current : OptionScope::Default);
        SaveAllOptionSets();
    }
    const std::string text = "\n" + IniText();
    for (const char* key : {"JobDir=", "LibDir=", "SysDir=", "ZOT3JobDir=", "[PADSTACKS]",
                            "I=", "BackupInt=", "BackupON=", "Apps=", "AppsWin="})
        EXPECT_EQ(text.find(std::string("\n") + key), std::string::npos) << key;
    EXPECT_NE(text.find("\nLI0= 12700, 25400, 25400"), std::string::npos);
}

TEST_F(OptionDispatch, SaveAllInCurrentScopeCopiesTheDefaultsIntoTheDatabase) {
    WriteIni("[LAYERS]\r\n5=Power,1,3\r\n[Tolvi32]\r\nLaySnapTable=1,7,7,7,7,7,7\r\n");
    LoadAllOptionSets();
    SetOptionScope(OptionScope::Current);
    SaveAllOptionSets();
    EXPECT_EQ(CStrFromPtr(O_GetName(OA_Object(DB_LayerArray(), 6))), "Power");
    EXPECT_EQ(TableBytes(2, 5, 1), (std::vector<uint8_t>{3}));
    EXPECT_EQ(TableInt(6, 1), 7);
}

TEST_F(OptionDispatch, ApplyDefaultsWritesSizesAndGridsAndKeepsTheScope) {
    WriteIni(
        "[TEXTS]\r\nT3=60,7\r\n[SIZES]\r\nWirewidth=100\r\n[Tolvi32]\r\nPickTable=3\r\n"
        "[LAYERS]\r\n0=Untouched,0,0\r\n");
    for (int32_t scope : {0, -1}) {
        SetOptionScope(scope != 0 ? OptionScope::Current : OptionScope::Default);
        ApplyDefaultsToDesign();
        EXPECT_EQ(gOptCurrent, scope);
    }
    int32_t t3[3];
    std::memcpy(t3, DB_TextSizeTable() + 36, 12);
    EXPECT_EQ(t3[1], 10);
    EXPECT_EQ(t3[2], 7);
    EXPECT_EQ(TableInt(14, 0), 100);
    EXPECT_EQ(TableInt(19, 0), 20420);
    EXPECT_EQ(TableInt(8, 0), 3);
    EXPECT_EQ(CStrFromPtr(O_GetName(OA_Object(DB_LayerArray(), 1))), "COMP.PRINT");
}

// Default->Current, a new database and start-up: whatever the scope was, the file's values end in
// the database and the scope ends Default, ticked so in the menu.
TEST_F(OptionDispatch, CopyDefaultsToDatabaseEndsInDefaultScope) {
    WriteIni("[LAYERS]\r\n5=Power,1,3\r\n[SIZES]\r\nWirewidth=100\r\n");
    for (OptionScope before : {OptionScope::Default, OptionScope::Current}) {
        SetOptionScope(before);
        recordingHost().Reset();
        CopyDefaultsToDatabase();
        EXPECT_FALSE(OptionsAreCurrent());
        EXPECT_EQ(recordingHost().calls, Calls{"scope: default"});
        EXPECT_EQ(CStrFromPtr(O_GetName(OA_Object(DB_LayerArray(), 6))), "Power");
        EXPECT_EQ(TableInt(14, 0), 100);
        EXPECT_EQ(IniText().find("LI0="), std::string::npos) << "nothing per-database written to the file";
    }
}

// A load or store that fails half way must not leave the scope Current: the next Default-scope
// store would go into the database instead of the settings file.
TEST(OptionScope, ALoaderThatThrowsLeavesTheScopeAsItWas) {
    const PerDatabaseOptionSet failing{
        [] { throw std::runtime_error("settings file"); }, [] { throw std::runtime_error("settings file"); },
        [] { throw std::runtime_error("database"); }, [] { throw std::runtime_error("database"); }};
    for (OptionScope before : {OptionScope::Default, OptionScope::Current}) {
        for (OptionScope during : {OptionScope::Default, OptionScope::Current}) {
            SetOptionScope(before);
            EXPECT_THROW(
                {
                    OptionScopeGuard scope(during);
                    LoadInScope(failing);
                },
                std::runtime_error);
            EXPECT_EQ(OptionsAreCurrent(), before == OptionScope::Current);
            EXPECT_THROW(
                {
                    OptionScopeGuard scope(during);
                    SaveInScope(failing);
                },
                std::runtime_error);
            EXPECT_EQ(OptionsAreCurrent(), before == OptionScope::Current);
        }
    }
}

TEST(OptionScope, EachSetGoesToTheStoreTheScopeNames) {
    static Calls calls;
    calls.clear();
    const PerDatabaseOptionSet recorded{
        [] { calls.push_back("file load"); }, [] { calls.push_back("file save"); },
        [] { calls.push_back("database load"); }, [] { calls.push_back("database store"); }};
    {
        OptionScopeGuard current(OptionScope::Current);
        LoadInScope(recorded);
        SaveInScope(recorded);
        {
            OptionScopeGuard defaults(OptionScope::Default);
            LoadInScope(recorded);
            SaveInScope(recorded);
        }
        EXPECT_TRUE(OptionsAreCurrent());
    }
    EXPECT_FALSE(OptionsAreCurrent());
    EXPECT_EQ(calls, (Calls{"database load", "database store", "file load", "file save"}));
}

}  // namespace
}  // namespace tolvi

#include "option_store_test.moc"
