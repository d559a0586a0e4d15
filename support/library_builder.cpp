#include "support/library_builder.h"

#include "kernel/kernel.h"
#include "platform/paths.h"

namespace tolvi::test {

namespace {

constexpr int32_t kStroke = 15000;
constexpr int32_t kPinLength = 200000;
constexpr int32_t kTextFactor = 25000;  // characters 150000 units tall
constexpr uint8_t kFilled = 0x10;

void AddItem(int32_t items, int32_t kind, int32_t x, int32_t y, int32_t p2, int32_t p3, int32_t p4 = 0,
             int32_t p5 = 0, uint8_t styleB = 0) {
    ItemRec r;
    r.Kind = kind, r.X = x, r.Y = y, r.P2 = p2, r.P3 = p3, r.P4 = p4, r.P5 = p5;
    r.Width = kStroke, r.StyleB = styleB;
    OA_Add(items, I_MakeItem(r));
}

void Line(int32_t items, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    AddItem(items, 1, x1, y1, x2, y2);
}

// Text centred on (x, y).
void Label(int32_t items, int32_t x, int32_t y, const std::string& text) {
    const int32_t w = (6 * int32_t(text.size()) - 1) * kTextFactor;
    OA_Add(items, I_MakeText(x - w / 2, y - 3 * kTextFactor, 0, kTextFactor, kTextFactor, text.c_str(), 8, 0,
                             kStroke));
}

// A pin from (x, y) outwards by dx, its entry at the outer end.
void Pin(int32_t symbol, int32_t& entry, int32_t x, int32_t y, int32_t dx) {
    Line(S_SymbolItemArray(symbol), x, y, x + dx, y);
    S_InsertEntry(symbol, ++entry, x + dx, y);
    S_ChangeEntryAttrib(symbol, entry, std::to_string(entry).c_str(), 0);
}

// Rows of n pins spaced evenly over h, centred on cy.
int32_t PinY(int i, int n, int32_t h, int32_t cy) {
    return cy + h / 2 - int32_t(int64_t(h) * (2 * i + 1) / (2 * int64_t{n}));
}

}  // namespace

LibraryBuilder::LibraryBuilder(Kind kind)
    : writer_(kind == Parts ? tolvi::kernel::kPartLibraryKind : tolvi::kernel::kSymbolLibraryKind) {}

// The writer holds its own copy; the database keeps nothing of it.
LibraryBuilder& LibraryBuilder::Written(int32_t symbolId) {
    writer_.addSymbol(symbolId);
    if (symbolId) OM_Delete(DB_SymbMap(), symbolId);
    return *this;
}

LibraryBuilder& LibraryBuilder::Symbol(const std::string& name, int pins, int32_t w, int32_t h, int32_t cx,
                                       int32_t cy) {
    const int32_t id = S_CreateSymbol(0, name.c_str());
    const int32_t items = S_SymbolItemArray(id);
    AddItem(items, 3, cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2);
    int32_t entry = 0;
    const int left = (pins + 1) / 2, right = pins / 2;
    for (int i = 0; i < left; ++i) Pin(id, entry, cx - w / 2, PinY(i, left, h, cy), -kPinLength);
    for (int i = 0; i < right; ++i) Pin(id, entry, cx + w / 2, PinY(i, right, h, cy), kPinLength);
    Label(items, cx, cy + h / 2 + 5 * kTextFactor, name);
    return Written(id);
}

LibraryBuilder& LibraryBuilder::Gate(const std::string& name, int inputs) {
    const int32_t id = S_CreateSymbol(0, name.c_str());
    const int32_t items = S_SymbolItemArray(id);
    const int32_t half = 300000, bubble = 50000;
    if (inputs <= 1) {
        AddItem(items, 2, -half, half, -half, -half, half - 2 * bubble, 0);
    } else {
        Line(items, -half, half, -half, -half);
        Line(items, -half, half, 0, half);
        Line(items, -half, -half, 0, -half);
        AddItem(items, 5, 0, 0, half - 2 * bubble, -90000, 90000);
    }
    AddItem(items, 4, half - bubble, 0, bubble, 0);
    int32_t entry = 0;
    for (int i = 0; i < inputs; ++i) Pin(id, entry, -half, PinY(i, inputs, 2 * half, 0), -kPinLength);
    Pin(id, entry, half, 0, kPinLength);
    Label(items, 0, half + 5 * kTextFactor, name);
    return Written(id);
}

LibraryBuilder& LibraryBuilder::Amplifier(const std::string& name) {
    const int32_t id = S_CreateSymbol(0, name.c_str());
    const int32_t items = S_SymbolItemArray(id);
    const int32_t half = 300000;
    AddItem(items, 2, -half, half, -half, -half, half, 0);
    int32_t entry = 0;
    for (int i = 0; i < 2; ++i) Pin(id, entry, -half, PinY(i, 2, half, 0), -kPinLength);
    Pin(id, entry, half, 0, kPinLength);
    Label(items, 0, half + 5 * kTextFactor, name);
    return Written(id);
}

LibraryBuilder& LibraryBuilder::Package(const std::string& name, int pads, int32_t pitch, int32_t span) {
    const int32_t id = S_CreateSymbol(0, name.c_str());
    O_Mask(S_Symbol(id), 2, 2);  // a layout symbol: its entries are pads
    const int32_t items = S_SymbolItemArray(id);
    const int perRow = (pads + 1) / 2;
    const int32_t length = perRow * pitch;
    const int32_t bodyX = span / 2 - pitch / 2;
    AddItem(items, 3, -bodyX, -length / 2, bodyX, length / 2);
    AddItem(items, 5, 0, length / 2, pitch / 3, 180000, 360000);

    int32_t round = S_MakePadStack(), square = S_MakePadStack();
    const int32_t r = pitch * 3 / 10;
    AddItem(S_PadStackItemArray(round), 4, 0, 0, r, 0, 0, 0, kFilled);
    AddItem(S_PadStackItemArray(square), 3, -r, -r, r, r, 0, 0, kFilled);
    for (int32_t ps : {round, square}) S_ChangePadStackHole(ps, r, 0);
    OM_Add(S_SymbolPadStackMap(id), round, 1);
    OM_Add(S_SymbolPadStackMap(id), square, 2);
    for (int i = 0; i < pads; ++i) {
        const bool first = i < perRow;
        const int k = first ? i : pads - 1 - i;  // counted round the package
        const int32_t x = first ? -span / 2 : span / 2;
        const int32_t y = length / 2 - pitch / 2 - k * pitch;
        S_InsertEntry(id, i + 1, x, y);
        S_ChangePadPadStack(id, i + 1, i == 0 ? 2 : 1);
    }
    return Written(id);
}

LibraryBuilder& LibraryBuilder::Padstack(const std::string& name, int32_t diameter, bool square) {
    const int32_t ps = S_MakePadStack();
    const int32_t r = diameter / 2;
    if (square)
        AddItem(S_PadStackItemArray(ps), 3, -r, -r, r, r, 0, 0, kFilled);
    else
        AddItem(S_PadStackItemArray(ps), 4, 0, 0, r, 0, 0, 0, kFilled);
    S_ChangePadStackHole(ps, diameter / 2, 0);
    writer_.addPadStack(ps, name);
    return *this;
}

LibraryBuilder& LibraryBuilder::Part(const std::string& name, const std::string& package,
                                     const std::vector<std::string>& groupSymbols) {
    const int32_t id = D_CreateDevice(0, name.c_str(), "", package.c_str());
    int32_t pin = 0;
    for (std::size_t g = 0; g < groupSymbols.size(); ++g) {
        const std::string group(1, char('A' + g % 26));
        D_AddGroup(id, group.c_str(), groupSymbols[g].c_str());
        for (int k = 0; k < 2; ++k) D_AddPin(D_GroupPinArray(id, int32_t(g + 1)), ++pin, "");
    }
    writer_.addDevice(id);
    if (id) OM_Delete(DB_DeviceMap(), id);
    return *this;
}

bool LibraryBuilder::Save(const std::string& path) const { return writer_.save(path); }

bool WriteSampleLibraries(const std::string& dir) {
    using platform::JoinPath;
    LibraryBuilder extra(LibraryBuilder::Symbols), logic(LibraryBuilder::Symbols);
    extra.Amplifier("OPAMP").Symbol("RES", 2, 600000, 200000);
    logic.Gate("NAND2", 2).Gate("INV", 1).Symbol("DFF", 6, 800000, 1000000);
    LibraryBuilder dip(LibraryBuilder::Symbols), smd(LibraryBuilder::Symbols);
    dip.Package("DIP8", 8).Package("DIP14", 14);
    smd.Package("SO8", 8, 127000, 540000).Package("R0805", 2, 200000, 200000);
    LibraryBuilder parts(LibraryBuilder::Parts);
    parts.Part("7400", "DIP14 plastic", {"NAND2", "NAND2", "NAND2", "NAND2"})
        .Part("7404", "DIP14", {"INV", "INV", "INV", "INV", "INV", "INV"})
        .Part("7474", "DIP14", {"DFF", "DFF"})
        .Part("LM358", "DIP8 wide", {"OPAMP", "OPAMP"});
    LibraryBuilder pads(LibraryBuilder::Symbols);
    pads.Padstack("ROUND60", 152400).Padstack("SQUARE60", 152400, true).Padstack("VIA30", 76200);
    return extra.Save(JoinPath(dir, "EXTRA.SYMBOL")) && logic.Save(JoinPath(dir, "LOGIC.SYMBOL")) &&
           dip.Save(JoinPath(dir, "DIP.PACKAGE")) && smd.Save(JoinPath(dir, "SMD.PACKAGE")) &&
           parts.Save(JoinPath(dir, "LOGIC.PART")) && pads.Save(JoinPath(dir, "STD.PADSTACK"));
}

}  // namespace tolvi::test
