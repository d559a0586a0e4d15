#include "interchange/object_builders.h"

#include <stdexcept>

namespace tolvi {

void ResetObjectBuildersState() { gViaPadStacks.assign(1, 0); }

void FindSymbolByName(int32_t& Err, int32_t& Id, const std::string& Name) {
    Err = 0;
    Id = OM_FindName(DB_SymbMap(), Name.c_str());
    if (Id == 0) Err = 1;
}

void InsertSymbolEntry(int32_t& Err, int32_t Symbol, const EntryRec& Entry, const std::string& EntryName,
                       const std::string& SimName, int32_t EntryNo) {
    Err = 1;
    const int32_t r = S_InsertEntry(Symbol, EntryNo, Entry.X, Entry.Y);
    if (r != EntryNo || r <= 0) return;
    const std::string name = EntryName.empty() ? std::to_string(EntryNo) : EntryName;
    S_ChangeEntryAttrib(Symbol, EntryNo, name.c_str(), Entry.Attrib);
    S_ChangeEntryPA(Symbol, EntryNo, Entry.PaX, Entry.PaY, Entry.PaAngle);
    S_ChangeEntrySimName(Symbol, EntryNo, SimName.c_str());
    O_Mask(S_Entry(Symbol, EntryNo), Entry.Status, Entry.Status);
    Err = 0;
}

void AddItemOrText(int32_t& Err, int32_t OwnerKind, int32_t Owner, const ItemRec& Item,
                   const std::string& Text, int32_t& ItemId) {
    Err = 1;
    // The owner kind first: an item made for no array would stay behind unowned.
    if (OwnerKind < 0 || OwnerKind > 4) return;
    ItemId = Item.Kind != 6 ? I_MakeItem(Item)
                            : I_MakeText(Item.X, Item.Y, Item.Angle, Item.P2, Item.P3, Text.c_str(),
                                         Item.Attr, Item.StyleA, Item.Width);
    I_ChangeItemLink(ItemId, Item.Link);
    I_ChangeItemGap(ItemId, Item.Gap);
    int32_t array = 0;
    switch (OwnerKind) {
        case 0:
            array = S_SymbolItemArray(Owner);
            break;
        case 1:
            array = C_CompTextArray(Owner);
            break;
        case 2:
            array = L_CompTextArray(Owner);
            break;
        case 3:
            array = DB_LayoutTextArray();
            break;
        default:
            array = B_BranchTextArray(Owner);
            break;
    }
    const int32_t r = OA_Add(array, ItemId);
    if (r == 0) return;
    ItemId = r;
    Err = 0;
}

void InsertPadEntry(int32_t& Err, int32_t Symbol, const EntryRec& Pad, int32_t EntryNo) {
    Err = 1;
    const int32_t r = S_InsertEntry(Symbol, EntryNo, Pad.X, Pad.Y);
    if (r != EntryNo || r <= 0) return;
    S_ChangePadRotation(Symbol, EntryNo, Pad.Angle);
    S_ChangePadPadStack(Symbol, EntryNo, Pad.PadStack);
    O_Mask(S_Entry(Symbol, EntryNo), Pad.Status, Pad.Status);
    Err = 0;
}

void AddPadStackItem(int32_t& Err, int32_t PadStack, const ItemRec& Item, int32_t& ItemId) {
    Err = 0;
    if (Item.Kind == 6) return;  // a padstack holds no texts
    ItemId = I_MakeItem(Item);
    I_ChangeItemLink(ItemId, Item.Link);
    I_ChangeItemGap(ItemId, Item.Gap);
    const int32_t r = OA_Add(S_PadStackItemArray(PadStack), ItemId);
    if (r == 0)
        Err = 1;
    else
        ItemId = r;
}

void CreatePadStack(int32_t& Err, int32_t Symbol, int32_t& PadStackId, int32_t Number, int32_t HoleA,
                    int32_t HoleB) {
    Err = 0;
    const int32_t map = Symbol != 0 ? S_SymbolPadStackMap(Symbol) : DB_PadStackMap();
    PadStackId = S_MakePadStack();
    if (PadStackId == 0) {
        Err = 1;
        return;
    }
    const int32_t r = OM_Add(map, PadStackId, Number);
    if (r != Number || r == 0) {
        Err = 1;
        return;
    }
    S_ChangePadStackHole(PadStackId, HoleA, HoleB);
}

void CreateVia(int32_t& Err, int32_t ViaId, int32_t Flags, int32_t Slot, int32_t ViaValue4, int32_t X,
               int32_t Y) {
    Err = 1;
    if (Slot < 0 || size_t(Slot) >= gViaPadStacks.size() || Slot > 30)
        throw std::out_of_range("Subscript out of range");
    const int32_t padstack = gViaPadStacks[size_t(Slot)];
    const int32_t flags = Flags | int32_t(1u << Slot);
    const int32_t r = V_CreateVia(ViaId, flags, X, Y, padstack, ViaValue4);
    if (r == ViaId && r != 0) Err = 0;
}

}  // namespace tolvi
