// Settings tables, the changed flag, internal files and the string table.
#include <cstring>
#include <functional>
#include <ostream>

#include "kernel_test_support.h"

namespace kt {
namespace {

class TablesTest : public KernelTest {};

TEST_F(TablesTest, TablesHaveTheirSizesAndCopiesStayInside) {
    for (int32_t n = 0; n < kSysTableCount; ++n) {
        uint8_t* t = E_SysTable(n);
        ASSERT_NE(t, nullptr) << n;
        const int32_t size = kSysTableBytes[n];
        std::vector<uint8_t> buf(size_t(size) + 1, 0);
        EXPECT_NE(E_MemCopy(buf.data(), t, size), 0) << n;
        EXPECT_EQ(E_MemCopy(buf.data(), t, size + 1), 0) << "past the end of table " << n;
        EXPECT_EQ(E_MemCopy(t + size - 2, buf.data(), 4), 0) << "straddling the end of table " << n;
        EXPECT_EQ(E_MemCopy(t - 1, buf.data(), 2), 0) << "straddling the start of table " << n;
    }
    EXPECT_EQ(E_SysTable(-1), nullptr);
    EXPECT_EQ(E_SysTable(22), nullptr);
    std::vector<uint8_t> ts(kTextSizeTableBytes);
    EXPECT_NE(E_MemCopy(ts.data(), DB_TextSizeTable(), kTextSizeTableBytes), 0);
    EXPECT_EQ(E_MemCopy(ts.data(), DB_TextSizeTable() + 1, kTextSizeTableBytes), 0);
    int32_t a = 1, b = 2;
    EXPECT_EQ(E_MemCopy(&a, &b, 4), 0) << "no table involved";
    EXPECT_EQ(a, 1);
    EXPECT_NE(E_MemCopy(E_SysTable(12) + 2044, &b, 4), 0) << "the help flag's offset";
}

TEST_F(TablesTest, FreshDatabaseHasTheBuiltInDefaults) {
    const auto at = [](int32_t table, int32_t index) {
        return ReadInt(E_SysTable(table) + 4 * std::ptrdiff_t{index});
    };
    EXPECT_EQ(at(0, 0), 0x000000);   // black
    EXPECT_EQ(at(0, 15), 0xFFFFFF);  // white
    EXPECT_EQ(E_SysTable(1)[31], 15);
    EXPECT_EQ(E_SysTable(1)[63], 0);
    EXPECT_EQ(E_SysTable(2)[30], 14);
    EXPECT_EQ(at(3, 2), 406400);
    EXPECT_EQ(at(6, 13), 25000);
    EXPECT_EQ(at(7, 6), 90000);
    EXPECT_EQ(at(9, 47), 508000);
    EXPECT_EQ(at(10, 2), 30480);
    EXPECT_EQ(ReadInt(E_SysTable(11)), 0xE0000007);
    EXPECT_EQ(at(13, 0), 50800);
    EXPECT_EQ(at(14, 0), 5080);
    EXPECT_EQ(at(15, 15), 406400);
    EXPECT_EQ(at(16, 0), 25400);
    EXPECT_EQ(at(18, 0), 0);
    EXPECT_EQ(at(19, 0), 25400);
    EXPECT_EQ(at(21, 16), 12);
    TextSizeRec t[32];
    std::memcpy(t, DB_TextSizeTable(), sizeof t);
    EXPECT_EQ(t[2].Height, 50800);
    EXPECT_EQ(t[2].Width, 50800);
    EXPECT_EQ(t[16].LineWidth, 5080);
    EXPECT_EQ(t[31].Height, 381000);
    EXPECT_STREQ(O_GetName(OA_Object(DB_LayerArray(), 2)), "COMP.MASK ");
    EXPECT_EQ(OA_GetCount(DB_LayerArray()), 32);
}

TEST_F(TablesTest, ProcessTablesSurviveEveryDatabaseChangeAndLayerMaskIsPerHierarchy) {
    TempDir tmp;
    const std::string file = tmp.path("db.tpb");
    ASSERT_NE(DB_SaveDataBase(file.c_str()), 0);
    WriteInt(E_SysTable(12) + 2044, -1);
    WriteInt(E_SysTable(16) + 4, 99);
    E_SetString("IniFile", "/x/TOLVI32.INI");
    const std::vector<std::function<void()>> replace = {
        [] { DB_DiscardDataBase(); },
        [] { DB_CreateDataBase("A", "B", "C"); },
        [&] { DB_LoadDataBase(file.c_str()); },
    };
    for (const auto& op : replace) {
        op();
        EXPECT_EQ(ReadInt(E_SysTable(12) + 2044), -1);
        EXPECT_EQ(ReadInt(E_SysTable(16) + 4), 99);
        EXPECT_STREQ(E_GetString("IniFile"), "/x/TOLVI32.INI");
    }

    DB_CreateHierarchy(2, "SUB");
    WriteInt(E_SysTable(11), 0x00020001);
    DB_SetCurHier(2);
    EXPECT_EQ(ReadInt(E_SysTable(11)), 0xE0000007) << "a new hierarchy has the default mask";
    DB_SetCurHier(1);
    EXPECT_EQ(ReadInt(E_SysTable(11)), 0x00020001);
}

TEST_F(TablesTest, StringTableIsByteExact) {
    EXPECT_EQ(E_GetString("MW_QUVSCHED"), nullptr);
    E_SetString("MW_QUVSCHED", "1");
    E_SetString("mw_quvsched", "0");
    EXPECT_STREQ(E_GetString("MW_QUVSCHED"), "1");
    EXPECT_STREQ(E_GetString("mw_quvsched"), "0");
    E_SetString("TOLVIAUTO", "");
    EXPECT_STREQ(E_GetString("TOLVIAUTO"), "");
    E_SetString("TOLVIAUTO", nullptr);
    EXPECT_EQ(E_GetString("TOLVIAUTO"), nullptr);
    E_SetString("K\xe9", "v\xff");
    EXPECT_STREQ(E_GetString("K\xe9"), "v\xff");
}

// --- the changed flag ------------------------------------------------------------------------

struct FlagCase {
    const char* what;
    std::function<void()> op;
    bool sets;
};
// Shown by its name in failures, not as the bytes of the record.
void PrintTo(const FlagCase& c, std::ostream* os) { *os << c.what; }

class ChangedFlagTest : public KernelTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(ChangedFlagTest, SetByRealChangesOnly) {
    BuildFixtureDesign();
    ClearChanged();
    GetParam().op();
    EXPECT_EQ(Changed(), GetParam().sets);
}

const int32_t kZero = 0, kOne = 1;

INSTANTIATE_TEST_SUITE_P(
    Operations, ChangedFlagTest,
    ::testing::Values(
        FlagCase{"create_net", [] { N_CreateNet(0, 0, "X"); }, true},
        FlagCase{"delete_net", [] { OM_Delete(DB_NetMap(), 3); }, true},
        FlagCase{"delete_all_nets", [] { OM_DeleteAll(DB_NetMap()); }, true},
        FlagCase{"create_symbol", [] { S_CreateSymbol(0, "X"); }, true},
        FlagCase{"create_hierarchy", [] { DB_CreateHierarchy(0, "X"); }, true},
        FlagCase{"insert_trace_record", [] { T_InsertRecord(1, -1, 0, 1, 1, 1); }, true},
        FlagCase{"change_gap", [] { T_ChangeRecordGap(1, 1, 4321); }, true},
        FlagCase{"move_trace_corner", [] { T_ChangeRecordXY(1, 1, 9, 9); }, true},
        FlagCase{"move_branch_point", [] { B_ChangeRecordXY(1, 2, 9, 9); }, true},
        FlagCase{"rename_layer", [] { O_Rename(OA_Object(DB_LayerArray(), 1), "TOP"); }, true},
        FlagCase{"move_component", [] { O_ChangePosition(C_Component(1), 1, 1); }, true},
        FlagCase{"add_text", [] { OA_Add(DB_LayoutTextArray(), I_MakeText(0, 0, 0, 1, 1, "T", 0, 0, 0)); },
                 true},
        FlagCase{"delete_text", [] { OA_Delete(DB_LayoutTextArray(), 1); }, true},
        FlagCase{"change_item", [] { I_ChangeItemGap(C_CompText(1, 1), 5); }, true},
        FlagCase{"add_pin", [] { D_AddPin(D_SupplyPinArray(1), 3, "X"); }, true},
        FlagCase{"create_file", [] { F_CreateFile(0, "NEW"); }, true},
        FlagCase{"write_file", [] { F_Write(2, "x", 1); }, true},
        FlagCase{"set_file_length", [] { F_SetLength(1, 52); }, true},
        FlagCase{"copy_other_bytes", [] { E_MemCopy(E_SysTable(14), &kOne, 4); }, true},
        FlagCase{"copy_into_layer_mask", [] { E_MemCopy(E_SysTable(11), &kZero, 4); }, true},
        FlagCase{"mask", [] { O_Mask(N_Net(3), 0x100, 0x100); }, false},
        FlagCase{"mask_all", [] { OM_MaskAll(DB_NetMap(), 0x100, 0x100); }, false},
        FlagCase{"mask_nodes", [] { N_MaskAllNodes(0x100, 0x100); }, false},
        FlagCase{"mask_comp_nodes", [] { N_MaskCompNodes(1, 1, 0x100, 0x100, 0x100, 0x100); }, false},
        FlagCase{"select",
                 [] {
                     DB_SetCurHier(2);
                     DB_SetCurPage(1);
                     N_SetNodeView(1);
                 },
                 false},
        FlagCase{"copy_same_bytes", [] { E_MemCopy(E_SysTable(13), E_SysTable(13), 4); }, false},
        FlagCase{"copy_into_help_table", [] { E_MemCopy(E_SysTable(12) + 2044, &kOne, 4); }, false},
        FlagCase{"rename_to_same", [] { O_Rename(N_Net(3), "VCC"); }, false},
        FlagCase{"move_to_same_point", [] { B_ChangeRecordXY(1, 2, 100, 0); }, false},
        FlagCase{"preview_symbol",
                 [] {
                     OM_Delete(DB_SymbMap(), -1);
                     S_CreateSymbol(-1, "P");
                     S_InsertEntry(-1, 1, 0, 0);
                     OA_Add(S_SymbolItemArray(-1), I_MakeText(0, 0, 0, 1, 1, "T", 0, 0, 0));
                     D_AddPin(D_SupplyPinArray(-1), 1, "P");
                 },
                 false},
        FlagCase{"free_objects",
                 [] {
                     I_ChangeItemGap(I_MakeText(0, 0, 0, 1, 1, "T", 0, 0, 0), 3);
                     S_ChangePadStackHole(S_MakePadStack(), 1, 1);
                 },
                 false},
        FlagCase{"string_table_and_heaps",
                 [] {
                     E_SetString("K", "V");
                     MakeHeap(1, 0);
                     SaveHeap(1);
                 },
                 false},
        FlagCase{"reads",
                 [] {
                     SchCompRec r;
                     C_ReadComponent(1, r);
                     char buf[100];
                     F_Seek(1, 0, 0);
                     F_Read(1, buf, 100);
                 },
                 false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(KernelTest, CreateAndLoadStartUnchanged) {
    TempDir tmp;
    BuildFixtureDesign();
    ASSERT_TRUE(Changed());
    ASSERT_NE(DB_SaveDataBase(tmp.path("x.tpb").c_str()), 0);
    ASSERT_NE(DB_LoadDataBase(tmp.path("x.tpb").c_str()), 0);
    EXPECT_FALSE(Changed());
    N_CreateNet(0, 0, "X");
    DB_CreateDataBase("A", "B", "C");
    EXPECT_FALSE(Changed());
}

// --- internal files --------------------------------------------------------------------------

TEST_F(KernelTest, InternalFilesReadZerosPastTheirEnd) {
    const int32_t f = F_CreateFile(0, "DBLABEL");
    ASSERT_GT(f, 0);
    F_Write(f, "\xff\xff\xff\xffSECRET  ", 12);
    EXPECT_EQ(F_GetLength(f), 12);
    std::vector<uint8_t> rec(88, 0xAA);
    EXPECT_EQ(F_Seek(f, 0, 0), 0);
    EXPECT_EQ(F_Read(f, rec.data(), 88), 12);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rec.data()) + 4, 6), "SECRET");
    EXPECT_EQ(std::vector<uint8_t>(rec.begin() + 12, rec.end()), std::vector<uint8_t>(76, 0));

    // Writing past the end fills the gap with zeros; seeking clamps at 0.
    EXPECT_EQ(F_Seek(f, 20, 0), 20);
    F_Write(f, "Z", 1);
    EXPECT_EQ(F_GetLength(f), 21);
    F_Seek(f, 12, 0);
    uint8_t gap[9];
    F_Read(f, gap, 9);
    EXPECT_EQ(gap[0], 0);
    EXPECT_EQ(gap[8], 'Z');
    EXPECT_EQ(F_Seek(f, -100, 1), 0);
    EXPECT_EQ(F_Seek(f, -1, 2), 20);
    EXPECT_EQ(F_Seek(f, 0, 3), -1);

    // Bitmap store rewrite: cut to nothing, then whole records again.
    const int32_t bm = F_CreateFile(0, "@Bitmap@");
    std::vector<uint8_t> two(104, 1);
    F_Write(bm, two.data(), 104);
    F_SetLength(bm, 0);
    EXPECT_EQ(F_GetLength(bm), 0);
    F_Write(bm, two.data(), 52);
    EXPECT_EQ(F_GetLength(bm), 52);
    F_SetLength(bm, 156);
    EXPECT_EQ(F_GetLength(bm), 156);

    EXPECT_EQ(OM_FindName(DB_FileMap(), "@Bitmap@"), bm);
    OM_Delete(DB_FileMap(), f);
    EXPECT_EQ(F_GetLength(f), 0);
    EXPECT_EQ(F_Write(f, "x", 1), 0);
    EXPECT_EQ(F_Seek(f, 0, 0), -1);
}

}  // namespace
}  // namespace kt
