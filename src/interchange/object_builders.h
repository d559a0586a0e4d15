#pragma once
// The object builders: each makes one design object in the open database from a filled record
// (or finds one), complete in itself, keeping no state of its own. The ASCII reader uses all of
// them; the hierarchy browser uses FindSymbolByName, InsertSymbolEntry and AddItemOrText to make
// its hook symbol and the pin-name texts of the hook components.
//
// Every builder reports through Err: 0 the object stands, 1 it could not be made. A builder shows
// no message and undoes nothing: a failure may leave the object half made (an entry without its
// name, a padstack outside any map), and the caller decides what follows.
//
//     int32_t err = 0, hook = 0;
//     FindSymbolByName(err, hook, "$&@HOOK");          // err 1: there is none
//     EntryRec pin;                                     // every field 0 ...
//     pin.Status = 1;                                   // ... but the status
//     InsertSymbolEntry(err, hook, pin, "HOOK", "", 1);  // entry 1, named "HOOK"
//     int32_t item = 0;
//     AddItemOrText(err, 1, component, text, "PIN1", item);  // a text of a schematic component
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/kernel.h"

namespace tolvi {

// The via padstacks of the ASCII file being read: element k (1..7) is the number, in the database
// padstack map, of the k-th via padstack record; element 0 holds none. The reader empties it
// (just element 0) at the start of every load and appends to it; CreateVia reads it.
inline std::vector<int32_t> gViaPadStacks{0};

void ResetObjectBuildersState();

// Id = the symbol called Name (exactly, case counting); Err 1 and Id 0 when there is none.
void FindSymbolByName(int32_t& Err, int32_t& Id, const std::string& Name);

// Inserts entry EntryNo (a pin) into Symbol at Entry.X, Entry.Y: the kernel must give exactly
// that number (entries are numbered from 1 without gaps), else Err 1 and nothing more is done.
// The entry is named EntryName, or EntryNo in decimal ("12") when EntryName is empty, and gets
// Entry.Attrib, the point and angle Entry.PaX, PaY, PaAngle, SimName and every status bit of
// Entry.Status. Other fields of Entry are not read.
void InsertSymbolEntry(int32_t& Err, int32_t Symbol, const EntryRec& Entry, const std::string& EntryName,
                       const std::string& SimName, int32_t EntryNo);

// Makes Item (a text when Item.Kind is 6: position, angle, P2 and P3 as its size, Text, Attr,
// StyleA and Width; any other kind from the whole record), sets its link and gap, and appends it
// to the item array of its owner:
//   OwnerKind 0  the items of symbol Owner
//             1  the texts of schematic component Owner
//             2  the texts of layout component Owner
//             3  the free layout texts of the current hierarchy (Owner not used)
//             4  the texts of branch Owner
// ItemId = the new item. Err 1 when the owner kind is none of these (nothing is made), or when
// the item could not be made or appended (an owner that does not exist, a kind the kernel does
// not know).
void AddItemOrText(int32_t& Err, int32_t OwnerKind, int32_t Owner, const ItemRec& Item,
                   const std::string& Text, int32_t& ItemId);

// Inserts entry EntryNo (a pad) into Symbol at Pad.X, Pad.Y, as InsertSymbolEntry does, with the
// rotation Pad.Angle, the padstack number Pad.PadStack and the status bits of Pad.Status.
void InsertPadEntry(int32_t& Err, int32_t Symbol, const EntryRec& Pad, int32_t EntryNo);

// Appends a shape made from Item (with its link and gap) to the item array of PadStack (a
// padstack object, as OM_Object gives it). A text is passed over: Err 0, nothing made, ItemId
// untouched.
void AddPadStackItem(int32_t& Err, int32_t PadStack, const ItemRec& Item, int32_t& ItemId);

// Makes a padstack with holes HoleA, HoleB under Number in the padstack map of Symbol, or in the
// database's via padstack map when Symbol is 0. PadStackId = the padstack object. Err 1 when it
// cannot be made or Number is taken (the padstack then stays outside any map). Its status bits
// are left to the caller.
void CreatePadStack(int32_t& Err, int32_t Symbol, int32_t& PadStackId, int32_t Number, int32_t HoleA,
                    int32_t HoleB);

// Makes via ViaId at X, Y on via padstack gViaPadStacks[Slot], with Flags plus the flag value
// 2^Slot and ViaValue4 passed on. Err 1 unless the kernel gives exactly ViaId. A Slot outside
// gViaPadStacks throws std::out_of_range (a run-time failure of the caller, not an Err).
void CreateVia(int32_t& Err, int32_t ViaId, int32_t Flags, int32_t Slot, int32_t ViaValue4, int32_t X,
               int32_t Y);

}  // namespace tolvi
