#include "common/db_session.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "common/bitmap_store.h"
#include "kernel/kernel.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::recordingHost;
using test::scriptedUi;

// The bytes of internal file name of the open database; "<none>" when it does not exist.
std::string InternalFile(const char* name) {
    const int32_t id = OM_FindName(DB_FileMap(), name);
    if (id <= 0) return "<none>";
    std::string bytes(size_t(F_GetLength(id)), '\0');
    F_Seek(id, 0, 0);
    if (!bytes.empty()) F_Read(id, bytes.data(), int32_t(bytes.size()));
    return bytes;
}

void ReplaceInternalFile(const char* name, const std::string& bytes) {
    const int32_t map = DB_FileMap();
    if (const int32_t id = OM_FindName(map, name); id > 0) OM_Delete(map, id);
    const int32_t id = F_CreateFile(0, name);
    ASSERT_GT(id, 0);
    if (!bytes.empty()) F_Write(id, bytes.data(), int32_t(bytes.size()));
}

int32_t Table16First() {
    int32_t v = 0;
    E_MemCopy(&v, E_SysTable(16), 4);
    return v;
}

TEST(CreateEmptyDatabase, ReplacesTheOpenDatabaseWithUntitledMainhierMainpage) {
    ASSERT_NE(DB_CreateDataBase("Old", "OLDHIER", "OLDPAGE"), 0);
    CreateEmptyDatabase();

    EXPECT_TRUE(scriptedUi().boxes.empty());
    EXPECT_TRUE(recordingHost().calls.empty());
    EXPECT_STREQ(O_GetName(DB_DataBase()), "Untitled");
    EXPECT_EQ(OM_FindName(DB_HierarchyMap(), "OLDHIER"), 0);
    EXPECT_EQ(gCurHierName, "MAINHIER");
    EXPECT_EQ(gCurPageName, "MAINPAGE");
    EXPECT_EQ(gCurHier, OM_FindName(DB_HierarchyMap(), "MAINHIER"));
    EXPECT_EQ(gCurPage, OM_FindName(DB_PageMap(), "MAINPAGE"));
    EXPECT_EQ(DB_CurHier(), gCurHier);
    EXPECT_EQ(DB_CurPage(), gCurPage);
    // The bitmap store of the new database is open.
    EXPECT_EQ(gBitmapFile, OM_FindName(DB_FileMap(), "@Bitmap@"));
    EXPECT_GT(gBitmapFile, 0);
    // Nothing else is set: callers refresh the caption and the label.
    EXPECT_EQ(gDbName, "");
    EXPECT_EQ(InternalFile("DBLABEL"), "<none>");
}

TEST(CreateEmptyDatabase, AnyFailingStepEndsTheProgramWithTheFatalBox) {
    const char* steps[] = {"DB_CreateDataBase", "DB_HierarchyMap", "OM_FindName",
                           "DB_SetCurHier",     "DB_PageMap",      "DB_SetCurPage"};
    for (const char* step : steps) {
        scriptedUi().Reset();
        recordingHost().Reset();
        KernelFailNextForTests(step);
        scriptedUi().QueueAnswer(1);
        CreateEmptyDatabase();
        ASSERT_EQ(scriptedUi().boxes.size(), 1u) << step;
        EXPECT_EQ(scriptedUi().boxes[0].text, "Can't Create Data Base") << step;
        EXPECT_EQ(scriptedUi().boxes[0].style, 4112) << step;
        EXPECT_EQ(recordingHost().calls, (std::vector<std::string>{"notify: EX", "fatal: 1"})) << step;
        EXPECT_EQ(gBitmapFile, 0) << "nothing more is done after " << step;
        scriptedUi().Verify();
    }
}

TEST(UpdateMainCaption, ShowsTheTitleInTheKernelsSpellingWhenTheyAgreeButForCaseAndBlanks) {
    struct Case {
        const char* title;
        const char* kernelName;  // nullptr: no database open
        const char* caption;
    };
    const Case cases[] = {
        {"Board1", "BOARD1 ", "Tolvi32 - BOARD1  (hier: MAINHIER)"},
        {"Board2", "BOARD1", "Tolvi32 - Board2 (hier: MAINHIER)"},
        {" Untitled ", "Untitled", "Tolvi32 - Untitled (hier: MAINHIER)"},
        {"caf\xE9", "CAF\xC9", "Tolvi32 - CAF\xC9 (hier: MAINHIER)"},  // upper case of the code page
        {"", "Untitled", "Tolvi32 -  (hier: MAINHIER)"},
        {"Untitled", nullptr, "Tolvi32 - Untitled (hier: )"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        recordingHost().Reset();
        DB_DiscardDataBase();
        if (c.kernelName) {
            CreateEmptyDatabase();
            ASSERT_NE(O_Rename(DB_DataBase(), c.kernelName), 0);
        }
        gDbTitle = c.title;
        int32_t handle = -7;
        UpdateMainCaption(handle);
        EXPECT_EQ(handle, DB_DataBase());
        EXPECT_EQ(recordingHost().calls, std::vector<std::string>{std::string("caption: ") + c.caption});
    }
}

TEST(UpdateMainCaption, RefreshesTheCurrentHierarchyPageAndSelector) {
    CreateEmptyDatabase();
    const int32_t hier = DB_CreateHierarchy(0, "SUB");
    ASSERT_GT(hier, 0);
    ASSERT_NE(DB_SetCurHier(hier), 0);
    const int32_t page = DB_CreatePage(0, "P2");
    ASSERT_GT(page, 0);
    ASSERT_NE(DB_SetCurPage(page), 0);
    gDbTitle = "Untitled";

    int32_t handle = 0;
    UpdateMainCaption(handle);
    EXPECT_EQ(gCurHier, hier);
    EXPECT_EQ(gCurHierName, "SUB");
    EXPECT_EQ(gCurPage, page);
    EXPECT_EQ(gCurPageName, "P2");
    EXPECT_EQ(gPageSelector, -100 - page);
    EXPECT_EQ(Table16First(), 25400);
    EXPECT_EQ(recordingHost().caption, "Tolvi32 - Untitled (hier: SUB)");
}

TEST(DbLabel, StoresEightyEightBytesWithFieldsPaddedOrCutAndReservedCarriedAsIs) {
    struct Case {
        const char* name;
        std::string password, designer;
        std::string storedPassword, storedDesigner;
    };
    const std::string blank25(25, ' ');
    const Case cases[] = {
        {"short", "ab", "Ann", "ab      ", "Ann" + std::string(22, ' ')},
        {"empty", "", "", std::string(8, ' '), blank25},
        {"exact", "12345678", std::string(25, 'd'), "12345678", std::string(25, 'd')},
        {"long", "password!", std::string(30, 'x') + "y", "password", std::string(25, 'x')},
    };
    std::string reserved = "R";
    reserved += '\0';
    reserved += "\xFF\x01 tail";
    reserved.resize(25, '#');

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CreateEmptyDatabase();
        gDbLabel = DbLabelRec{};
        gDbLabel.PassSet = -1;
        gDbLabel.Password = c.password;
        gDbLabel.Designer = c.designer;
        gDbLabel.Revision = "B";
        gDbLabel.Reserved = reserved;
        WriteDbLabel();
        WriteDbLabel();  // replaces, never appends

        const std::string stored = InternalFile("DBLABEL");
        ASSERT_EQ(stored.size(), 88u);
        EXPECT_EQ(stored.substr(0, 4), std::string("\xFF\xFF\xFF\xFF", 4));
        EXPECT_EQ(stored.substr(4, 8), c.storedPassword);
        EXPECT_EQ(stored.substr(12, 25), c.storedDesigner);
        EXPECT_EQ(stored.substr(37, 25), "B" + std::string(24, ' '));
        EXPECT_EQ(stored.substr(62, 25), reserved);
        EXPECT_EQ(stored[87], '\0');

        gDbLabel = DbLabelRec{};
        ReadDbLabel();
        EXPECT_EQ(gDbLabel.PassSet, -1);
        EXPECT_EQ(gDbLabel.Password, c.storedPassword);
        EXPECT_EQ(gDbLabel.Designer, c.storedDesigner);
        EXPECT_EQ(gDbLabel.Reserved, reserved);
        EXPECT_EQ(InternalFile("DBLABEL"), stored);  // reading writes nothing
    }
}

TEST(DbLabel, ADatabaseWithoutALabelGetsTheDefaultOnceAndKeepsItsOwnAfterwards) {
    CreateEmptyDatabase();
    gDbLabel.Designer = "left over";
    ReadDbLabel();
    const std::string defaultBytes = std::string(4, '\0') + std::string(83, ' ') + std::string(1, '\0');
    EXPECT_EQ(InternalFile("DBLABEL"), defaultBytes);
    EXPECT_EQ(gDbLabel.PassSet, 0);
    EXPECT_EQ(gDbLabel.Password, std::string(8, ' '));
    EXPECT_EQ(gDbLabel.Designer, std::string(25, ' '));
    EXPECT_EQ(gDbLabel.Revision, std::string(25, ' '));

    // A label stored by someone else (longer than the record: the rest is ignored) is read, not
    // replaced by the default.
    std::string other = defaultBytes;
    other[0] = 5;
    other.replace(12, 4, "Bob ");
    ReplaceInternalFile("DBLABEL", other + "trailing bytes");
    ReadDbLabel();
    EXPECT_EQ(gDbLabel.PassSet, 5);
    EXPECT_EQ(gDbLabel.Designer, "Bob" + std::string(22, ' '));
    EXPECT_EQ(InternalFile("DBLABEL"), other + "trailing bytes");
}

TEST(DbLabel, WithoutADatabaseTheLabelLivesInMemoryOnly) {
    DB_DiscardDataBase();
    ReadDbLabel();
    EXPECT_EQ(gDbLabel.Designer, std::string(25, ' '));
    gDbLabel.Designer = "Ann";
    WriteDbLabel();
    EXPECT_EQ(gDbLabel.Designer, "Ann");
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST(ResetHierStackFile, LeavesOneEmptyStackFile) {
    CreateEmptyDatabase();
    ResetHierStackFile();
    EXPECT_EQ(InternalFile("HIERSTCK"), "");
    ReplaceInternalFile("HIERSTCK", "stacked hierarchies");
    ResetHierStackFile();
    EXPECT_EQ(InternalFile("HIERSTCK"), "");
}

TEST(DatabaseChangedFlag, AnyNonZeroNumberCountsAsChanged) {
    CreateEmptyDatabase();
    for (int32_t v : {0, 1, -1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(v);
        ASSERT_NE(E_MemCopy(E_SysTable(18), &v, 4), 0);
        EXPECT_EQ(IsDatabaseChanged(), v != 0);
    }
    ClearDatabaseChanged();
    EXPECT_FALSE(IsDatabaseChanged());
    const int32_t seven = 7;
    E_MemCopy(E_SysTable(18), &seven, 4);
    SetDatabaseChanged(0);
    EXPECT_FALSE(IsDatabaseChanged());

    DB_DiscardDataBase();
    EXPECT_FALSE(IsDatabaseChanged());
    ClearDatabaseChanged();  // no database: nothing to clear, nothing breaks
}

TEST(FindNameInMap, GivesTheIdOrErrOneAndZero) {
    CreateEmptyDatabase();
    int err = -1;
    int32_t id = -1;
    FindNameInMap(err, DB_HierarchyMap(), id, "MAINHIER");
    EXPECT_EQ(err, 0);
    EXPECT_EQ(id, gCurHier);
    FindNameInMap(err, DB_HierarchyMap(), id, "NOSUCH");
    EXPECT_EQ(err, 1);
    EXPECT_EQ(id, 0);
}

}  // namespace
}  // namespace tolvi
