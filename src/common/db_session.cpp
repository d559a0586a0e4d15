#include "common/db_session.h"

#include <algorithm>
#include <array>

#include "common/bitmap_store.h"
#include "common/host.h"
#include "common/localisation.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

constexpr int kStyleFatal = 4112;  // OK, critical-stop icon, system modal
constexpr int kFatalExitCode = 1;

// The field as stored: cut or padded with blanks to len bytes.
void PutField(uint8_t* at, const std::string& text, std::size_t len) {
    std::fill_n(at, len, uint8_t{' '});
    std::copy_n(text.begin(), std::min(len, text.size()), at);
}

std::string GetField(const uint8_t* at, std::size_t len) {
    return std::string(reinterpret_cast<const char*>(at), len);
}

using LabelBytes = std::array<uint8_t, DbLabelRec::kStoredBytes>;

LabelBytes LabelToBytes(const DbLabelRec& label) {
    LabelBytes b{};
    const auto pass = static_cast<uint32_t>(label.PassSet);
    for (int i = 0; i < 4; ++i) b[size_t(i)] = uint8_t(pass >> (8 * i));
    PutField(&b[4], label.Password, DbLabelRec::kPasswordLen);
    PutField(&b[12], label.Designer, DbLabelRec::kTextLen);
    PutField(&b[37], label.Revision, DbLabelRec::kTextLen);
    PutField(&b[62], label.Reserved, DbLabelRec::kTextLen);
    b[87] = 0;
    return b;
}

DbLabelRec LabelFromBytes(const LabelBytes& b) {
    DbLabelRec label;
    uint32_t pass = 0;
    for (int i = 0; i < 4; ++i) pass |= uint32_t(b[size_t(i)]) << (8 * i);
    label.PassSet = static_cast<int32_t>(pass);
    label.Password = GetField(&b[4], DbLabelRec::kPasswordLen);
    label.Designer = GetField(&b[12], DbLabelRec::kTextLen);
    label.Revision = GetField(&b[37], DbLabelRec::kTextLen);
    label.Reserved = GetField(&b[62], DbLabelRec::kTextLen);
    return label;
}

DbLabelRec DefaultLabel() {
    DbLabelRec label;
    label.Password.assign(DbLabelRec::kPasswordLen, ' ');
    label.Designer.assign(DbLabelRec::kTextLen, ' ');
    label.Revision.assign(DbLabelRec::kTextLen, ' ');
    label.Reserved.assign(DbLabelRec::kTextLen, ' ');
    return label;
}

void WriteLabelFile(const DbLabelRec& label) {
    const int32_t file = F_CreateFile(0, "DBLABEL");
    if (file <= 0) return;
    const LabelBytes bytes = LabelToBytes(label);
    F_Write(file, bytes.data(), int32_t(bytes.size()));
}

void FatalCreateFailure() {
    platform::ui().MsgBox(GetLocalString("Can't Create Data Base", "99301"), kStyleFatal, gAppTitle);
    host().NotifyAll("EX");
    host().FatalExit(kFatalExitCode);
}

}  // namespace

void ResetDbSessionState() {
    gDbHandle = 0;
    gDbName.clear();
    gDbTitle.clear();
    gCurHier = 0;
    gCurHierName.clear();
    gCurPage = 0;
    gCurPageName.clear();
    gPageSelector = 0;
    gDbLabel = DbLabelRec();
    gDbPath.clear();
}

void CreateEmptyDatabase() {
    gCurHierName = "MAINHIER";
    gCurPageName = "MAINPAGE";
    DB_DiscardDataBase();
    int err = 1;
    if (DB_CreateDataBase("Untitled", gCurHierName.c_str(), gCurPageName.c_str()) != 0) {
        FindNameInMap(err, DB_HierarchyMap(), gCurHier, gCurHierName);
        if (err == 0 && DB_SetCurHier(gCurHier) == 0) err = 1;
        if (err == 0) FindNameInMap(err, DB_PageMap(), gCurPage, gCurPageName);
        if (err == 0 && DB_SetCurPage(gCurPage) == 0) err = 1;
    }
    if (err != 0) {
        // The host ends the program; when it returns (tests) nothing more is done here.
        FatalCreateFailure();
        return;
    }
    OpenBitmapStore();
}

void UpdateMainCaption(int32_t& DbHandle) {
    DbHandle = DB_DataBase();
    gDbName = CStrFromPtr(O_GetName(DbHandle));
    if (UpperCodePage(Trim(gDbName)) != UpperCodePage(Trim(gDbTitle))) gDbName = gDbTitle;
    gCurHier = DB_CurHier();
    gCurHierName = CStrFromPtr(O_GetName(OM_Object(DB_HierarchyMap(), gCurHier)));
    gCurPage = DB_CurPage();
    gCurPageName = CStrFromPtr(O_GetName(DB_Page(gCurPage)));
    gPageSelector = -100 - gCurPage;
    const int32_t units = 25400;
    E_MemCopy(E_SysTable(SysProcess), &units, 4);
    host().SetCaption("Tolvi32 - " + gDbName + " (hier: " + gCurHierName + ")");
}

void ResetHierStackFile() {
    const int32_t map = DB_FileMap();
    const int32_t id = OM_FindName(map, "HIERSTCK");
    if (id > 0) OM_Delete(map, id);
    F_CreateFile(0, "HIERSTCK");
}

void ReadDbLabel() {
    const int32_t id = OM_FindName(DB_FileMap(), "DBLABEL");
    if (id > 0) {
        LabelBytes bytes{};
        F_Seek(id, 0, 0);
        F_Read(id, bytes.data(), int32_t(bytes.size()));
        gDbLabel = LabelFromBytes(bytes);
        return;
    }
    gDbLabel = DefaultLabel();
    WriteLabelFile(gDbLabel);
}

void WriteDbLabel() {
    const int32_t map = DB_FileMap();
    const int32_t id = OM_FindName(map, "DBLABEL");
    if (id > 0) OM_Delete(map, id);
    WriteLabelFile(gDbLabel);
}

bool IsDatabaseChanged() {
    int32_t flag = 0;
    E_MemCopy(&flag, E_SysTable(SysChangedFlag), 4);
    return flag != 0;
}

void ClearDatabaseChanged() { SetDatabaseChanged(0); }

void SetDatabaseChanged(int32_t Value) { E_MemCopy(E_SysTable(SysChangedFlag), &Value, 4); }

void FindNameInMap(int& Err, int32_t Map, int32_t& Id, const std::string& Name) {
    Id = OM_FindName(Map, Name.c_str());
    Err = Id == 0 ? 1 : 0;
}

}  // namespace tolvi
