// The record rebuild: every design object record of an ASCII database file made again in the
// kernel under the id the file gives it. A create call must give exactly that id, and a child
// record belongs to the parent record read last before it. Each family of records (padstacks,
// symbols, parts, hierarchies, nets, layout, schematic) has its handler.
#include <string>

#include "common/db_session.h"
#include "interchange/ascii_format.h"
#include "interchange/ascii_loader.h"
#include "interchange/object_builders.h"

namespace tolvi {

void AsciiLoader::UnpackItemRecord() {
    mItem.Kind = Num(2);
    mItem.Attr = Num(3);
    mItem.Link = Num(4);
    mItem.X = Num(5);
    mItem.Y = Num(6);
    mItem.StyleA = Byte(7);
    mItem.StyleB = Byte(8);
    mItem.Width = Num(9);
    mItem.Gap = Num(10);
    mItem.Angle = Num(11);
    mItem.P2 = Num(12);
    mItem.P3 = Num(13);
    if (mItem.Kind == 6) {
        mItemText.assign(Field(14));  // P4 and P5 keep what they held
    } else {
        mItem.P4 = Num(14);
        mItem.P5 = Num(15);
        mItemText.clear();
    }
}

void AsciiLoader::UnpackEntryRecord() {
    mEntry.Status = Num(3);
    mEntry.X = Num(4);
    mEntry.Y = Num(5);
    mEntryName.assign(Field(6));
    mEntry.PaX = Num(7);
    mEntry.PaY = Num(8);
    mEntry.PaAngle = Num(9);
    mEntry.Attrib = Num(10);
    // The last field: a quote that no other closes opens a name that runs to the end of the line
    // and is not part of it (kept, it would make the name unwritable between quotes).
    std::string_view sim = Field(11);
    if (!sim.empty() && sim.front() == '"' && sim.find('"', 1) == std::string_view::npos)
        sim.remove_prefix(1);
    mSimName.assign(sim);
}

void AsciiLoader::UnpackPadRecord() {
    mPad.Status = Num(3);
    mPad.X = Num(4);
    mPad.Y = Num(5);
    mPad.Angle = Num(6);
    mPad.PadStack = Num(7);
}

namespace {

// Whether type lies in the run of record types first .. last.
constexpr bool In(int32_t type, int32_t first, int32_t last) { return type >= first && type <= last; }

// The record's status bits set on the object it made (found by object()); with no bit to set there
// is nothing to ask of the kernel, and the object needs no handle.
template <class Object>
void SetStatus(int32_t status, Object&& object) {
    if (status != 0) O_Mask(object(), status, status);
}

}  // namespace

bool AsciiLoader::ObjectRecord(int32_t type) {
    // The types of a family are one run of the format's numbers, and the settings records lie
    // before and between the runs. The last families first: their records are most of a file.
    if (In(type, kRecPage, kRecBranchText)) return SchematicRecord(type);
    if (In(type, kRecVia, kRecLayoutText)) return LayoutRecord(type);
    if (In(type, kRecNet, kRecBusMember)) return NetRecord(type);
    if (In(type, kRecHierarchy, kRecHierarchyEnd)) return HierarchyRecord(type);
    if (In(type, kRecPart, kRecGroupPin)) return PartRecord(type);
    if (In(type, kRecSymbol, kRecSymbolPadItem)) return SymbolRecord(type);
    if (In(type, kRecViaPadStack, kRecViaPadItem)) return PadStackRecord(type);
    return false;
}

void AsciiLoader::TakeOver(int32_t map, int32_t id, const std::string& name,
                           int32_t (*create)(int32_t, const char*)) {
    int missing = 0;
    int32_t existing = 0;
    FindNameInMap(missing, map, existing, name);
    if (missing == 0) {
        if (existing != id) Fail(3);
    } else {
        Created(create(id, name.c_str()), id);
    }
}

void AsciiLoader::PadStackHead(int32_t symbol, int32_t map) {
    int32_t err = 0;
    const int32_t number = Num(2);
    const int32_t status = Num(3);
    Check(number > 0);
    mContext.padNumber = number;
    CreatePadStack(err, symbol, mContext.padId, number, Num(4), Num(5));
    Built(err);
    SetStatus(status, [&] { return OM_Object(map, number); });
}

void AsciiLoader::PadStackItem() {
    if (mContext.padNumber == 0 || mContext.padId == 0) return;
    int32_t err = 0;
    int32_t itemId = 0;
    UnpackItemRecord();
    AddPadStackItem(err, mContext.padId, mItem, itemId);
    Built(err);
}

void AsciiLoader::AddItem(int32_t ownerKind, int32_t owner) {
    int32_t err = 0;
    int32_t itemId = 0;
    UnpackItemRecord();
    AddItemOrText(err, ownerKind, owner, mItem, mItemText, itemId);
    Built(err);
}

bool AsciiLoader::PadStackRecord(int32_t type) {
    switch (type) {
        case kRecViaPadStack:
            if (gViaPadStacks.size() > 7) {
                // Room for seven: a further via padstack is passed over with its items.
                mContext.padNumber = mContext.padId = 0;
                return true;
            }
            gViaPadStacks.push_back(Num(2));
            PadStackHead(0, DB_PadStackMap());
            return true;
        case kRecViaPadItem:
            PadStackItem();
            return true;
        default:
            return false;
    }
}

bool AsciiLoader::SymbolRecord(int32_t type) {
    int32_t err = 0;
    switch (type) {
        case kRecSymbol: {
            const int32_t id = Num(2);
            const int32_t status = Num(3);
            const int32_t simCode = Num(6);
            mContext.symbol = id;
            Created(S_CreateSymbol(id, FirstWordOf(4).c_str()), id);
            SetStatus(status, [&] { return S_Symbol(id); });
            S_ChangeSimCode(id, simCode);
            mContext.padNumber = mContext.padId = 0;
            return true;
        }
        case kRecSymbolPin:
            UnpackEntryRecord();
            InsertSymbolEntry(err, mContext.symbol, mEntry, mEntryName, mSimName, Num(2));
            Built(err);
            return true;
        case kRecSymbolPad:
            UnpackPadRecord();
            InsertPadEntry(err, mContext.symbol, mPad, Num(2));
            Built(err);
            return true;
        case kRecSymbolItem:
        case kRecSymbolText:
            AddItem(0, mContext.symbol);
            return true;
        case kRecSymbolPadStack:
            // Without a symbol before it the padstack would land among the via padstacks.
            Check(mContext.symbol != 0);
            PadStackHead(mContext.symbol, S_SymbolPadStackMap(mContext.symbol));
            return true;
        case kRecSymbolPadItem:
            PadStackItem();
            return true;
        default:
            return false;
    }
}

bool AsciiLoader::PartRecord(int32_t type) {
    switch (type) {
        case kRecPart: {
            const int32_t id = Num(2);
            const int32_t status = Num(3);
            mContext.device = id;
            Created(
                D_CreateDevice(id, FirstWordOf(4).c_str(), FirstWordOf(5).c_str(), TrimmedField(6).c_str()),
                id);
            SetStatus(status, [&] { return D_Device(id); });
            mContext.group = 0;
            return true;
        }
        case kRecSupplyPin:
            Check(D_AddPin(D_SupplyPinArray(mContext.device), Num(2), FirstWordOf(3).c_str()) != 0);
            return true;
        case kRecGroup: {
            const int32_t group = Num(2);
            if (group != mContext.group + 1) Fail(3);  // the groups of a part come as 1, 2, 3, ...
            mContext.group = group;
            Check(D_AddGroup(mContext.device, FirstWordOf(3).c_str(), FirstWordOf(4).c_str()) != 0);
            return true;
        }
        case kRecGroupPin:
            Check(mContext.group != 0);
            Check(D_AddPin(D_GroupPinArray(mContext.device, mContext.group), Num(2),
                           FirstWordOf(3).c_str()) != 0);
            return true;
        default:
            return false;
    }
}

bool AsciiLoader::HierarchyRecord(int32_t type) {
    switch (type) {
        case kRecHierarchy: {
            const int32_t id = Num(2);
            Check(id != 0);
            TakeOver(DB_HierarchyMap(), id, FirstWordOf(3), DB_CreateHierarchy);
            Check(DB_SetCurHier(id) != 0);
            return true;
        }
        case kRecHierarchyEnd: {
            const int32_t page = Num(2);
            // A hierarchy without pages ends with page 0, as the writer writes it.
            Check(DB_SetCurPage(page) != 0 || (page == 0 && DB_CurPage() == 0));
            return true;
        }
        default:
            return false;
    }
}

bool AsciiLoader::NetRecord(int32_t type) {
    switch (type) {
        case kRecNet: {
            const int32_t id = Num(2);
            mContext.net = id;
            Created(N_CreateNet(id, Num(3), TrimmedField(4).c_str()), id);
            return true;
        }
        case kRecNode: {
            const int32_t id = Num(2);
            const int32_t status = Num(3);
            mContext.node = id;
            Created(N_CreateNode(mContext.net, id, Num(4), Num(5), Num(6), Num(7)), id);
            SetStatus(status, [&] { return N_Node(mContext.net, id); });
            return true;
        }
        case kRecBus: {
            const int32_t id = Num(2);
            mContext.bus = id;
            Created(N_CreateBus(id, Num(3), TrimmedField(4).c_str()), id);
            mContext.member = -1;
            return true;
        }
        case kRecBusMember: {
            mContext.member = Num(2);
            const int32_t r = N_SetBusMember(mContext.bus, Num(3), mContext.member);
            Check(r != -1 && r == mContext.member);
            return true;
        }
        default:
            return false;
    }
}

bool AsciiLoader::LayoutRecord(int32_t type) {
    switch (type) {
        case kRecVia: {
            const int32_t id = Num(2);
            const int32_t flags = Num(3);
            const int32_t x = Num(4);
            const int32_t y = Num(5);
            const int32_t value4 = Num(6);
            const int32_t number = Num(7);
            // The via's padstack must be one of the file's via padstacks; its slot is its place
            // among them.
            int32_t slot = 0;
            for (size_t k = 1; k < gViaPadStacks.size() && slot == 0; ++k)
                if (gViaPadStacks[k] == number) slot = int32_t(k);
            Check(slot != 0);
            int32_t err = 0;
            CreateVia(err, id, flags, slot, value4, x, y);
            Built(err);
            return true;
        }
        case kRecBendPoint: {
            const int32_t id = Num(2);
            Created(T_CreateBendPoint(id, Num(3), Num(4), Num(5)), id);
            return true;
        }
        case kRecLayComp: {
            const int32_t id = Num(2);
            const int32_t flags = Num(3);
            const int32_t x = Num(5), y = Num(6), angle = Num(7), symbol = Num(8), device = Num(9);
            const int32_t value8 = Num(10);
            mContext.layComp = id;
            Created(
                L_CreateComponent(id, TrimmedField(4).c_str(), flags, device, symbol, value8, x, y, angle),
                id);
            return true;
        }
        case kRecLayCompLink:
            L_AddSchCompId(mContext.layComp, Num(2));
            return true;
        case kRecLayCompText:
            AddItem(2, mContext.layComp);
            return true;
        case kRecTrace: {
            const int32_t id = Num(2);
            mContext.trace = id;
            Created(T_CreateTrace(id, Num(3), Num(4)), id);
            return true;
        }
        case kRecTraceSegment: {
            const int32_t flags = Num(2), x = Num(3), y = Num(4), width = Num(5), gap = Num(6);
            const int32_t r = T_InsertRecord(mContext.trace, -1, flags, x, y, width);
            Check(r != 0);
            T_ChangeRecordGap(mContext.trace, r, gap);
            return true;
        }
        case kRecTraceArc: {
            const int32_t flags = Num(2), x = Num(3), y = Num(4), radius = Num(5);
            Check(T_InsertArcRecord(mContext.trace, -1, flags, x, y, radius) != 0);
            return true;
        }
        case kRecLayoutText:
            AddItem(3, 0);
            return true;
        default:
            return false;
    }
}

bool AsciiLoader::SchematicRecord(int32_t type) {
    switch (type) {
        case kRecPage: {
            const int32_t id = Num(2);
            Check(id != 0);
            TakeOver(DB_PageMap(), id, TrimmedField(3), DB_CreatePage);
            Check(DB_SetCurPage(id) != 0);
            return true;
        }
        case kRecJunction: {
            const int32_t id = Num(2);
            const int32_t value1 = Num(3);
            Created(J_CreateJunction(id, value1, Num(5), Num(6)), id);
            return true;
        }
        case kRecSchComp: {
            const int32_t id = Num(2);
            const int32_t flags = Num(3);
            const int32_t x = Num(5), y = Num(6), symbol = Num(7), device = Num(8);
            const int32_t pack1 = Num(9), pack2 = Num(10), angle = Num(13), value12 = Num(14);
            mContext.schComp = id;
            Created(
                C_CreateComponent(id, TrimmedField(4).c_str(), flags, device, symbol, value12, x, y, angle),
                id);
            C_ChangeCompPackInfo(id, pack1, pack2);
            return true;
        }
        case kRecSchCompText:
            AddItem(1, mContext.schComp);
            return true;
        case kRecBranch: {
            const int32_t id = Num(2);
            mContext.branch = id;
            Created(B_CreateBranch(id, Num(3), Num(4)), id);
            return true;
        }
        case kRecBranchPoint: {
            const int32_t x = Num(2), y = Num(3);
            Check(B_InsertRecord(mContext.branch, -1, x, y) != 0);
            return true;
        }
        case kRecBranchText:
            AddItem(4, mContext.branch);
            return true;
        default:
            return false;
    }
}

}  // namespace tolvi
