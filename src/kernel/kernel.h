// The design kernel's flat interface: the one header the rest of the program includes.
//
// Conventions every caller relies on:
// - Numbers, keys (ids) and handles are int32_t. Keys name objects inside a map; handles (from
//   OM_Object, S_Symbol, OA_Object, I_Make*, DB_*Map, ...) are registry numbers, never pointers,
//   never reused within a run. A stale, deleted or wrong-kind handle gives 0.
// - Input strings are zero-terminated single-byte text; null counts as "".
// - Returned strings (O_GetName, record name fields, E_GetString) point into kernel storage. Copy
//   them at once: they stay valid only until the object is renamed or deleted, the database is
//   replaced, or (E_GetString) the key is set again.
// - Records are passed by reference. Read functions fill the whole record and return 0 when the
//   object or numbered part does not exist.
// - With no database open every database call answers 0 or null. Nothing throws.
// - Settings tables are fixed-size byte buffers reached through E_SysTable / DB_TextSizeTable;
//   E_MemCopy copies only when every range that touches a table lies wholly inside one.
#pragma once

#include <cstdint>

class IDrawSink;  // drawing target of G_OpenDC, declared in kernel/draw_sink.h

// ---------------------------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------------------------

struct ItemRec {
    int32_t Kind = 0;  // 1 line, 2 triangle, 3 rectangle, 4 circle, 5 arc, 6 text
    int32_t Attr = 0;  // also the item's status word
    int32_t Link = 0;
    int32_t X = 0;
    int32_t Y = 0;
    uint8_t StyleA = 0;
    uint8_t StyleB = 0;
    int32_t Width = 0;
    int32_t Gap = 0;
    int32_t Angle = 0;
    int32_t P2 = 0;
    int32_t P3 = 0;
    int32_t P4 = 0;  // 0 for a text; its characters are behind Text
    int32_t P5 = 0;
    const char* Text = nullptr;  // text items only
};

struct SymbolRec {
    int32_t Status = 0;  // 0x2: layout symbol (pads); (Status & 3) == 1: block symbol
    int32_t EntryCount = 0;
    const char* Name = nullptr;
    int32_t SimCode = 0;
};

// One record for both entry views: a schematic symbol fills the pin fields, a layout symbol the
// pad fields; the other view's fields are zero.
struct EntryRec {
    int32_t Kept = 0;
    int32_t Status = 0;
    int32_t X = 0;
    int32_t Y = 0;
    const char* Name = nullptr;     // pin
    int32_t PaX = 0;                // pin
    int32_t PaY = 0;                // pin
    int32_t PaAngle = 0;            // pin
    int32_t Attrib = 0;             // pin
    const char* SimName = nullptr;  // pin
    int32_t Angle = 0;              // pad rotation
    int32_t PadStack = 0;           // pad: number in the symbol's padstack map
};

struct PadStackRec {
    int32_t Status = 0;
    int32_t HoleA = 0;
    int32_t HoleB = 0;
};

struct DeviceRec {
    int32_t Status = 0;
    const char* Name1 = nullptr;
    const char* Name2 = nullptr;
    const char* Name3 = nullptr;  // package field
    int32_t SupplyPinCount = 0;
    int32_t GroupCount = 0;
};

struct DeviceGroupRec {
    const char* GroupName = nullptr;
    const char* SymbolName = nullptr;
    int32_t PinCount = 0;
};

struct DevicePinRec {
    int32_t PinNumber = 0;
    const char* Name = nullptr;
};

struct NetRec {
    int32_t Flags = 0;  // 0x8 bus member, 0x2 own name, 0x100 export mark
    const char* Name = nullptr;
    int32_t Kept = 0;
};

struct NodeRec {
    int32_t Status = 0;
    int32_t SchComp = 0;
    int32_t SchEntry = 0;
    int32_t LayComp = 0;
    int32_t LayPin = 0;
};

struct BusRec {
    int32_t Kept = 0;
    const char* Name = nullptr;
    int32_t LastMember = -1;  // highest occupied position, -1 when the bus has no member
};

struct ViaRec {
    int32_t Flags = 0;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Kept = 0;
    int32_t PadStack = 0;  // number in DB_PadStackMap
};

struct BendPointRec {
    int32_t Kept = 0;
    int32_t X = 0;
    int32_t Y = 0;
};

struct LayCompRec {
    int32_t Flags = 0;  // 0x2 mirrored
    const char* Name = nullptr;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Angle = 0;
    int32_t Symbol = 0;
    int32_t Device = 0;
    int32_t Kept = 0;
    int32_t LinkCount = 0;
};

struct SchCompRec {
    int32_t Flags = 0;  // 0x2 mirrored
    const char* Name = nullptr;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Symbol = 0;
    int32_t Device = 0;
    int32_t PackInfo1 = 0;
    int32_t PackInfo2 = 0;
    int32_t Page = 0;
    int32_t Kept10 = 0;  // tenth value of the record
    int32_t Angle = 0;
    int32_t Kept12 = 0;  // twelfth value of the record
};

struct TraceRec {
    int32_t Kept1 = 0;
    int32_t Kept2 = 0;
    int32_t SegmentCount = 0;
};

// One record for both views: an arc record (Flags & 0x10) gives its centre in X, Y and its
// radius in Width; the remaining fields are zero.
struct TraceSegRec {
    int32_t Flags = 0;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Gap = 0;
    int32_t Kept1 = 0;
    int32_t Kept2 = 0;
};

struct JunctionRec {
    int32_t Kept = 0;
    int32_t Page = 0;
    int32_t X = 0;
    int32_t Y = 0;
};

struct BranchRec {
    int32_t Kept1 = 0;
    int32_t Kept2 = 0;
    int32_t Page = 0;
    int32_t PointCount = 0;
};

struct BranchPointRec {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Kept1 = 0;
    int32_t Kept2 = 0;
};

struct PageRec {
    int32_t Kept = 0;
    const char* Name = nullptr;
    int32_t Sheet1 = 0;
    int32_t Sheet2 = 0;
    int32_t Sheet3 = 0;
    int32_t Sheet4 = 0;
};

struct ExtentRec {
    int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

struct FrameRec {
    int32_t MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
};

struct DcRec {
    int32_t Scale = 0;    // database units per pixel
    int32_t Width = 0;    // pixels
    int32_t Height = 0;   // pixels
    int32_t CentreX = 0;  // database point shown at the box centre
    int32_t CentreY = 0;
    int32_t Mode = 0;  // 0 schematic, 4 layout
};

struct TextExtent {
    int32_t X = 0, Y = 0;
};

// Elements of the text-size table (DB_TextSizeTable) and of table 9.
struct TextSizeRec {
    int32_t Width = 0, Height = 0, LineWidth = 0;
};
struct PadSizeRec {
    int32_t TraceWidth = 0, RoundPad = 0, SquarePad = 0;
};

static_assert(sizeof(ExtentRec) == 16 && sizeof(FrameRec) == 16 && sizeof(DcRec) == 24);
static_assert(sizeof(TextSizeRec) == 12 && sizeof(PadSizeRec) == 12 && sizeof(TextExtent) == 8);

// ---------------------------------------------------------------------------------------------
// Settings tables: numbers for E_SysTable and their sizes in bytes
// ---------------------------------------------------------------------------------------------
// Tables 11 (one per hierarchy), 12 and 16 (one per process) are not the open database's;
// table 18 is not saved with it. Any other number gives null.
enum SysTableNumber : int32_t {
    SysPalette = 0,         // 32 colours
    SysCategoryColors = 1,  // colour index of each category
    SysLayerColors = 2,     // colour of each layer
    SysSchGrid = 3,         // grids and snaps: 14 numbers each
    SysSchSnap = 4,         //
    SysLayGrid = 5,         //
    SysLaySnap = 6,         //
    SysAngleSnap = 7,       // 7 numbers
    SysPickArea = 8,        // 5 numbers
    SysPadSizes = 9,        // 16 PadSizeRec
    SysAirgaps = 10,        // 3 numbers
    SysLayerMask = 11,      // enabled layers of the current hierarchy
    SysHelpState = 12,      // the help state every application shares
    SysBusWidth = 13,       // one number each
    SysWireWidth = 14,      //
    SysLineWidths = 15,     // 16 numbers
    SysProcess = 16,        // 25400 in its first number
    SysReserved = 17,       //
    SysChangedFlag = 18,    // the database-changed flag
    SysWireWidthPlus = 19,  // the wire width + 20320
    SysSchPrecision = 20,   // 32 numbers each
    SysLayPrecision = 21,   //
};
constexpr int32_t kSysTableCount = 22;
constexpr int32_t kTextSizeTableBytes = 384;
constexpr int32_t kSysTableBytes[kSysTableCount] = {128, 64,   32, 56, 56, 56, 56, 28, 20, 192, 12,
                                                    32,  2048, 4,  4,  64, 16, 16, 4,  4,  128, 128};
// The automatic-help flag: a 32-bit number at this byte of SysHelpState.
constexpr int32_t kAutoHelpOffset = 2044;

// ---------------------------------------------------------------------------------------------
// DB_: database life, selection, maps and tables
// ---------------------------------------------------------------------------------------------
int32_t DB_CreateDataBase(const char* dbName, const char* rootHierName, const char* firstPageName);
int32_t DB_DiscardDataBase();
int32_t DB_LoadDataBase(const char* path);
int32_t DB_SaveDataBase(const char* path);
// Why the last DB_SaveDataBase failed, in the system's words ("No space left on device"); "" when
// it succeeded or the failure had no such reason (no database open, no path).
const char* DB_LastError();
int32_t DB_DataBase();
int32_t DB_HierarchyMap();
int32_t DB_PageMap();
int32_t DB_FileMap();
int32_t DB_SymbMap();
int32_t DB_PadStackMap();
int32_t DB_DeviceMap();
int32_t DB_NetMap();
int32_t DB_BusMap();
int32_t DB_SchCompMap();
int32_t DB_BranchMap();
int32_t DB_JunctMap();
int32_t DB_LayCompMap();
int32_t DB_TraceMap();
int32_t DB_BendPointMap();
int32_t DB_ViaMap();
int32_t DB_LayerArray();
int32_t DB_LayoutTextArray();
uint8_t* DB_TextSizeTable();
int32_t DB_CreateHierarchy(int32_t id, const char* name);
int32_t DB_CreatePage(int32_t id, const char* name);
int32_t DB_SetCurHier(int32_t id);
int32_t DB_SetCurPage(int32_t id);
int32_t DB_CurHier();
int32_t DB_CurPage();
int32_t DB_Page(int32_t pageId);
int32_t DB_ReadPage(int32_t pageId, PageRec& rec);
int32_t DB_ExitClean();

// ---------------------------------------------------------------------------------------------
// OM_: object maps. Walk order: positive keys ascending, then -1, -2, ...; the cursor is the
// last key returned (0 before the first), so deleting or adding during a walk is safe.
// ---------------------------------------------------------------------------------------------
int32_t OM_GetFirst(int32_t map);
int32_t OM_SearchMask(int32_t map, int32_t& cursor, int32_t value, int32_t mask);
int32_t OM_FindName(int32_t map, const char* name);
int32_t OM_FindNameMask(int32_t map, const char* name, int32_t value, int32_t mask);
int32_t OM_Object(int32_t map, int32_t key);
int32_t OM_Add(int32_t map, int32_t object, int32_t key);
int32_t OM_Delete(int32_t map, int32_t key);
int32_t OM_DeleteAll(int32_t map);
int32_t OM_MaskAll(int32_t map, int32_t value, int32_t mask);

// ---------------------------------------------------------------------------------------------
// OA_: object arrays, indexed from 1; deleting compacts.
// ---------------------------------------------------------------------------------------------
int32_t OA_GetCount(int32_t array);
int32_t OA_Object(int32_t array, int32_t index);
int32_t OA_Add(int32_t array, int32_t item);
int32_t OA_Delete(int32_t array, int32_t index);
// First position whose item status has every bit of `mask` set (value != 0) or none of them
// (value == 0); 0 when there is none.
int32_t OA_SearchMask(int32_t array, int32_t value, int32_t mask);

// ---------------------------------------------------------------------------------------------
// O_: any object
// ---------------------------------------------------------------------------------------------
const char* O_GetName(int32_t object);
int32_t O_Rename(int32_t object, const char* name);
int32_t O_GetStatus(int32_t object);
int32_t O_Mask(int32_t object, int32_t value, int32_t mask);
int32_t O_ChangePosition(int32_t object, int32_t x, int32_t y);

// ---------------------------------------------------------------------------------------------
// S_: symbols, entries, padstacks
// ---------------------------------------------------------------------------------------------
int32_t S_CreateSymbol(int32_t id, const char* name);
int32_t S_Symbol(int32_t id);
int32_t S_ReadSymbol(int32_t id, SymbolRec& rec);
int32_t S_ChangeSimCode(int32_t symbol, int32_t code);
int32_t S_InsertEntry(int32_t symbol, int32_t entryNo, int32_t x, int32_t y);
int32_t S_ChangeEntryAttrib(int32_t symbol, int32_t entryNo, const char* name, int32_t attrib);
int32_t S_ChangeEntryPA(int32_t symbol, int32_t entryNo, int32_t paX, int32_t paY, int32_t paAngle);
int32_t S_ChangeEntrySimName(int32_t symbol, int32_t entryNo, const char* simName);
int32_t S_ChangePadRotation(int32_t symbol, int32_t entryNo, int32_t angle);
int32_t S_ChangePadPadStack(int32_t symbol, int32_t entryNo, int32_t padstackNumber);
int32_t S_Entry(int32_t symbol, int32_t entryNo);
int32_t S_ReadEntry(int32_t symbol, int32_t entryNo, EntryRec& rec);
int32_t S_SymbolEntryArray(int32_t symbol);
int32_t S_SymbolItemArray(int32_t symbol);
int32_t S_SymbolPadStackMap(int32_t symbol);
int32_t S_MakePadStack();
int32_t S_ChangePadStackHole(int32_t padstack, int32_t holeA, int32_t holeB);
int32_t S_ReadPadStack(int32_t padstack, PadStackRec& rec);
int32_t S_PadStackItemArray(int32_t padstack);
int32_t S_LoadSymbol(int32_t id, int32_t libEntryRef);
int32_t S_SetCompLocation(int32_t a, int32_t b, int32_t c, int32_t d);
int32_t S_FrameSymbolItems(int32_t symbol, int32_t sel, FrameRec& frame);
int32_t S_FrameSymbolEntries(int32_t symbol, int32_t sel, FrameRec& frame);
int32_t S_DrawSymbol(int32_t symbol, int32_t a, int32_t b);

// ---------------------------------------------------------------------------------------------
// D_: devices (parts)
// ---------------------------------------------------------------------------------------------
int32_t D_CreateDevice(int32_t id, const char* name1, const char* name2, const char* name3);
int32_t D_Device(int32_t id);
int32_t D_ReadDevice(int32_t id, DeviceRec& rec);
int32_t D_SupplyPinArray(int32_t device);
int32_t D_GroupPinArray(int32_t device, int32_t groupNo);
int32_t D_AddPin(int32_t pinArray, int32_t pinNumber, const char* name);
int32_t D_AddGroup(int32_t device, const char* groupName, const char* symbolName);
int32_t D_ReadGroup(int32_t device, int32_t groupNo, DeviceGroupRec& rec);
int32_t D_ReadPin(int32_t pinArray, int32_t pinIndex, DevicePinRec& rec);
int32_t D_LoadDevice(int32_t id, int32_t libEntryRef);

// ---------------------------------------------------------------------------------------------
// C_: schematic components (placed on the current page of the current hierarchy)
// ---------------------------------------------------------------------------------------------
int32_t C_CreateComponent(int32_t id, const char* name, int32_t flags, int32_t device, int32_t symbol,
                          int32_t v12, int32_t x, int32_t y, int32_t angle);
int32_t C_ChangeCompPackInfo(int32_t comp, int32_t p1, int32_t p2);
int32_t C_ChangeCompDispAttr(int32_t comp, int32_t angle, int32_t mirror);
int32_t C_Component(int32_t id);
int32_t C_ReadComponent(int32_t id, SchCompRec& rec);
int32_t C_CompTextArray(int32_t comp);
int32_t C_CompText(int32_t comp, int32_t position);
int32_t C_ReadEntry(int32_t comp, int32_t pinNo, EntryRec& rec);
int32_t C_DrawAllComponents(int32_t flag);

// ---------------------------------------------------------------------------------------------
// L_: layout components
// ---------------------------------------------------------------------------------------------
int32_t L_CreateComponent(int32_t id, const char* name, int32_t flags, int32_t device, int32_t symbol,
                          int32_t v8, int32_t x, int32_t y, int32_t angle);
int32_t L_AddSchCompId(int32_t comp, int32_t schCompId);
int32_t L_GetSchCompId(int32_t comp, int32_t i);
int32_t L_ReadComponent(int32_t id, LayCompRec& rec);
int32_t L_Component(int32_t id);
int32_t L_CompTextArray(int32_t comp);
int32_t L_ChangeCompDispAttr(int32_t comp, int32_t angle, int32_t mirror);
int32_t L_DrawAllComponents(int32_t flag);

// ---------------------------------------------------------------------------------------------
// N_: nets, nodes, buses
// ---------------------------------------------------------------------------------------------
int32_t N_CreateNet(int32_t id, int32_t flags, const char* name);
int32_t N_Net(int32_t id);
int32_t N_ReadNet(int32_t id, NetRec& rec);
int32_t N_NodeMap(int32_t net);
int32_t N_CreateNode(int32_t net, int32_t id, int32_t schComp, int32_t schEntry, int32_t layComp,
                     int32_t layPin);
int32_t N_Node(int32_t net, int32_t nodeId);
int32_t N_ReadNode(int32_t net, int32_t nodeId, NodeRec& rec);
int32_t N_MaskAllNodes(int32_t value, int32_t mask);
int32_t N_MaskCompNodes(int32_t comp, int32_t pin, int32_t nodeValue, int32_t nodeMask, int32_t netValue,
                        int32_t netMask);
int32_t N_SetNodeView(int32_t view);
int32_t N_CreateBus(int32_t id, int32_t v1, const char* name);
int32_t N_SetBusMember(int32_t bus, int32_t memberNet, int32_t position);
int32_t N_ReadBus(int32_t bus, BusRec& rec);
int32_t N_ReadBusMember(int32_t bus, int32_t position);
int32_t N_FindBusMember(int32_t net, int32_t& position);
int32_t N_Bus(int32_t busRef);

// ---------------------------------------------------------------------------------------------
// T_: traces and bend points
// ---------------------------------------------------------------------------------------------
int32_t T_CreateTrace(int32_t id, int32_t v1, int32_t v2);
int32_t T_ReadTrace(int32_t id, TraceRec& rec);
int32_t T_InsertRecord(int32_t trace, int32_t pos, int32_t flags, int32_t x, int32_t y, int32_t width);
int32_t T_InsertArcRecord(int32_t trace, int32_t pos, int32_t flags, int32_t cx, int32_t cy, int32_t radius);
int32_t T_DeleteRecord(int32_t trace, int32_t recNo);
int32_t T_ChangeRecordWidth(int32_t trace, int32_t recNo, int32_t width);
int32_t T_ChangeRecordGap(int32_t trace, int32_t recNo, int32_t gap);
// Moves the point of record recNo (an arc's centre); 0 when there is no such record.
int32_t T_ChangeRecordXY(int32_t trace, int32_t recNo, int32_t x, int32_t y);
int32_t T_ReadRecord(int32_t trace, int32_t recNo, TraceSegRec& rec);
int32_t T_CreateBendPoint(int32_t id, int32_t v1, int32_t x, int32_t y);
int32_t T_ReadBendPoint(int32_t id, BendPointRec& rec);
int32_t T_BendPoint(int32_t id);
int32_t T_FrameTraceLines(int32_t sel, int32_t layers, ExtentRec& ext);
int32_t T_DrawAllRecords(int32_t sel, int32_t flag);
int32_t T_DrawAllTraceMask(int32_t a, int32_t b);
int32_t T_DrawLayoutAllTexts(int32_t flag);

// ---------------------------------------------------------------------------------------------
// V_, J_: vias and junctions
// ---------------------------------------------------------------------------------------------
int32_t V_CreateVia(int32_t id, int32_t flags, int32_t x, int32_t y, int32_t padstackNumber, int32_t v4);
int32_t V_ReadVia(int32_t id, ViaRec& rec);
int32_t V_Via(int32_t id);
int32_t V_DrawAllVias(int32_t flag);
int32_t J_CreateJunction(int32_t id, int32_t v1, int32_t x, int32_t y);
int32_t J_ReadJunction(int32_t id, JunctionRec& rec);
int32_t J_Junction(int32_t id);
int32_t J_DrawAllJunctions(int32_t flag);

// ---------------------------------------------------------------------------------------------
// B_: branches (wires), placed on the current page
// ---------------------------------------------------------------------------------------------
int32_t B_CreateBranch(int32_t id, int32_t v1, int32_t v2);
int32_t B_InsertRecord(int32_t branch, int32_t pos, int32_t x, int32_t y);
int32_t B_ReadBranch(int32_t id, BranchRec& rec);
int32_t B_ReadRecord(int32_t branch, int32_t pointNo, BranchPointRec& rec);
// Moves point pointNo; 0 when there is no such point.
int32_t B_ChangeRecordXY(int32_t branch, int32_t pointNo, int32_t x, int32_t y);
int32_t B_BranchTextArray(int32_t branch);
int32_t B_FrameBranchLines(int32_t pageSelector, int32_t layers, ExtentRec& ext);
int32_t B_DrawAllRecords(int32_t pageSelector, int32_t flag);
int32_t B_DrawAllBranchMask(int32_t a, int32_t b, int32_t c);

// ---------------------------------------------------------------------------------------------
// I_: items and texts. A made item is free until OA_Add puts it into an array.
// ---------------------------------------------------------------------------------------------
int32_t I_MakeItem(const ItemRec& rec);
int32_t I_MakeText(int32_t x, int32_t y, int32_t angle, int32_t p2, int32_t p3, const char* text,
                   int32_t attr, int32_t styleA, int32_t width);
int32_t I_ChangeItemLink(int32_t item, int32_t link);
int32_t I_ChangeItemGap(int32_t item, int32_t gap);
int32_t I_ChangeItemAttr(int32_t item, int32_t attr, int32_t styleA, int32_t styleB, int32_t width);
int32_t I_ChangeItemXY(int32_t item, const ItemRec& rec);
int32_t I_ChangeTextSize(int32_t item, int32_t p2, int32_t p3);
int32_t I_ReadItem(int32_t item, ItemRec& rec);

// ---------------------------------------------------------------------------------------------
// G_: drawing, vector font, cursors
//
// G_OpenDC starts drawing into `sink`: database point (X, Y) lands on pixel
// (W/2 + (X - CentreX)/Scale, H/2 - (Y - CentreY)/Scale), so Y points up and the centre is the
// box centre. The G_Set* state is kernel-wide and persists across contexts (dialogs set it before
// they open one); G_SetColor 0..31 is a palette index, 32 and above draws every object in its
// own category or layer colour. The *_Draw* functions draw into the open context and return 0
// when none is open; *_Frame* return the number of points or items framed (0: nothing, and the
// trace and branch extents are then left untouched while a symbol frame becomes 0, 0, 0, 0).
// Selectors: -1 everything of the current hierarchy, > 0 one object, <= -101 page -(sel + 100).
// G_VectorFontLoad returns 0 when the file is missing or not a font; the built-in font then
// serves. A text of n > 0 characters with factors (wf, hf) measures ((6n - 1) wf, 6 hf).
// G_SelectCur gives the non-zero token 1 or 2 for those kinds; G_DelCur returns 0.
// ---------------------------------------------------------------------------------------------
int16_t G_VectorFontLoad(const char* path);
int32_t G_SelectCur(int32_t kind);
int32_t G_DelCur(int32_t cursor);
int32_t G_OpenDC(IDrawSink* sink, DcRec& rec);
int32_t G_CloseDC();
int32_t G_SetDrawMode(int32_t mode);
int32_t G_SetColor(int32_t code);
int32_t G_SetStyle(int32_t style);
int32_t G_SetWidth(int32_t width);
int32_t G_SetTextMode(int32_t mode, int32_t widthFactor, int32_t heightFactor);
int32_t G_GetTextSize(int32_t widthFactor, int32_t heightFactor, int32_t charCount, TextExtent& ext);
int32_t G_Text(int32_t x, int32_t y, const char* text);

// ---------------------------------------------------------------------------------------------
// E_: string table, settings tables, libraries
// ---------------------------------------------------------------------------------------------
// A null value deletes the key. Keys are byte-exact.
int32_t E_SetString(const char* key, const char* value);
const char* E_GetString(const char* key);
uint8_t* E_SysTable(int32_t n);
int32_t E_MemCopy(void* dest, const void* src, int32_t bytes);
// Libraries (kernel/library_file.h describes the container and its writer): kind "TolviDLL00"
// holds devices, "TolviSLL00" symbols, packages and padstacks. E_OpenLibrary (mode 0) returns a
// handle > 0, or 0 for a missing, unreadable, corrupt or other-kind file. Names come back in
// stored order, null past the last; E_OpenLibToRead matches exactly (case-sensitive) and gives
// an entry reference for D_LoadDevice / S_LoadSymbol, valid until E_CloseLibrary.
int32_t E_OpenLibrary(const char* path, const char* kind, int32_t mode);
const char* E_GetLibDirName(int32_t handle, int32_t i);
int32_t E_OpenLibToRead(int32_t handle, const char* name);
int32_t E_CloseLibrary(int32_t handle);

// ---------------------------------------------------------------------------------------------
// F_: internal files of the database (keys of DB_FileMap). Reading past the end gives zeros.
// ---------------------------------------------------------------------------------------------
int32_t F_CreateFile(int32_t id, const char* name);
int32_t F_Seek(int32_t file, int32_t offset, int32_t origin);  // origin 0 start, 1 current, 2 end
int32_t F_Read(int32_t file, void* buf, int32_t bytes);
int32_t F_Write(int32_t file, const void* buf, int32_t bytes);
int32_t F_GetLength(int32_t file);
int32_t F_SetLength(int32_t file, int32_t bytes);

// ---------------------------------------------------------------------------------------------
// H_, EX_, heaps
// ---------------------------------------------------------------------------------------------
// H_DispTopic hands the topic to the handler the program registers (the program's help layer);
// with none registered it does nothing and returns 0.
using HelpTopicHandler = int32_t (*)(void* owner, const char* helpFile, int32_t topic);
void H_SetTopicHandler(HelpTopicHandler handler);
int32_t H_DispTopic(void* owner, const char* helpFile, int32_t topic);
int32_t EX_ExitClean();
int32_t MakeHeap(int16_t n, int32_t flag);
int32_t SaveHeap(int16_t n);

// Puts the kernel back to its state at process start: no database, empty string table, process
// tables at their defaults, node view 0, no save failure's reason, drawing state and font at their
// defaults, no open context or library, no help handler, no armed failure. Handles already given
// out stay stale.
void KernelResetForTests();

// Makes the next call of the flat function named `functionName` (e.g. "DB_SetCurHier") fail as it
// would for real: it returns its failure value (0 or null) and changes nothing. One name is armed
// at a time; KernelResetForTests disarms it. Functions that cannot fail ignore it.
void KernelFailNextForTests(const char* functionName);
