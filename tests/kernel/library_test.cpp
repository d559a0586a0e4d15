// Part and symbol libraries: the container, its writer and the flat functions that read it.
#include <cstring>
#include <functional>

#include "kernel/library_file.h"
#include "kernel_test_support.h"

namespace kt {
namespace {

using tolvi::kernel::LibraryWriter;

int32_t AddItem(int32_t array, int32_t kind, int32_t x, int32_t y, int32_t p2, int32_t p3) {
    ItemRec r;
    r.Kind = kind, r.X = x, r.Y = y, r.P2 = p2, r.P3 = p3, r.Width = 100;
    return OA_Add(array, I_MakeItem(r));
}

// A schematic symbol, a package with one pad on its own padstack, a via padstack and a device.
struct Objects {
    int32_t symbol, package, padstack, device;
};

Objects BuildObjects() {
    Objects o{};
    o.symbol = S_CreateSymbol(0, "NAND");
    AddItem(S_SymbolItemArray(o.symbol), 1, 0, 0, 1000, 0);
    OA_Add(S_SymbolItemArray(o.symbol), I_MakeText(0, 0, 0, 100, 100, "U?", 8, 0, 10));
    S_InsertEntry(o.symbol, 1, -500, 0);
    S_ChangeEntryAttrib(o.symbol, 1, "A", 3);

    o.package = S_CreateSymbol(0, "DIP14");
    O_Mask(S_Symbol(o.package), 2, 2);
    S_InsertEntry(o.package, 1, 0, 0);
    S_ChangePadPadStack(o.package, 1, 5);
    const int32_t pad = S_MakePadStack();
    S_ChangePadStackHole(pad, 800, 0);
    AddItem(S_PadStackItemArray(pad), 4, 0, 0, 600, 0);
    OM_Add(S_SymbolPadStackMap(o.package), pad, 5);

    o.padstack = S_MakePadStack();
    S_ChangePadStackHole(o.padstack, 300, 0);
    OM_Add(DB_PadStackMap(), o.padstack, 1);

    o.device = D_CreateDevice(0, "7400", "Quad NAND", "DIP14 plastic");
    D_AddPin(D_SupplyPinArray(o.device), 14, "VCC");
    D_AddGroup(o.device, "A", "NAND");
    D_AddPin(D_GroupPinArray(o.device, 1), 1, "A");
    return o;
}

std::string Names(int32_t h) {
    std::string s;
    for (int32_t i = 0;; ++i) {
        const char* n = E_GetLibDirName(h, i);
        if (!n) break;
        s += std::string(s.empty() ? "" : ",") + n;
    }
    return s;
}

class LibraryTest : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        o = BuildObjects();
        LibraryWriter symbols(tolvi::kernel::kSymbolLibraryKind);
        ASSERT_TRUE(symbols.addSymbol(o.package));
        ASSERT_TRUE(symbols.addSymbol(o.symbol));
        ASSERT_TRUE(symbols.addPadStack(o.padstack, "VIA30"));
        ASSERT_TRUE(symbols.save(dir.path("lib.SYMBOL")));
        LibraryWriter parts(tolvi::kernel::kPartLibraryKind);
        ASSERT_TRUE(parts.addDevice(o.device));
        ASSERT_TRUE(parts.save(dir.path("lib.PART")));
    }

    TempDir dir;
    Objects o{};
};

TEST_F(LibraryTest, WriteOpenListFindLoadAndClose) {
    const int32_t sl = E_OpenLibrary(dir.path("lib.SYMBOL").c_str(), "TolviSLL00", 0);
    const int32_t pl = E_OpenLibrary(dir.path("lib.PART").c_str(), "TolviDLL00", 0);
    ASSERT_GT(sl, 0);
    ASSERT_GT(pl, 0);
    EXPECT_EQ(Names(sl), "DIP14,NAND,VIA30") << "stored order";
    EXPECT_EQ(Names(pl), "7400");
    EXPECT_EQ(E_OpenLibToRead(sl, "nand"), 0) << "exact case";
    EXPECT_EQ(E_OpenLibToRead(sl, "NAND "), 0);
    const int32_t symRef = E_OpenLibToRead(sl, "NAND");
    const int32_t pkgRef = E_OpenLibToRead(sl, "DIP14");
    const int32_t padRef = E_OpenLibToRead(sl, "VIA30");
    const int32_t devRef = E_OpenLibToRead(pl, "7400");
    ASSERT_GT(symRef, 0);
    ASSERT_GT(pkgRef, 0);
    ASSERT_GT(devRef, 0);

    ClearChanged();
    EXPECT_EQ(S_LoadSymbol(-1, symRef), -1);
    EXPECT_EQ(S_LoadSymbol(-2, pkgRef), -2);
    EXPECT_EQ(D_LoadDevice(-1, devRef), -1);
    EXPECT_FALSE(Changed()) << "preview objects are not content";
    EXPECT_EQ(S_LoadSymbol(-1, symRef), 0) << "the id is taken: the caller deletes first";
    EXPECT_EQ(S_LoadSymbol(-3, padRef), 0) << "a padstack is no symbol";
    EXPECT_EQ(D_LoadDevice(-2, symRef), 0) << "a symbol is no device";

    // The copies read back like the originals.
    SymbolRec a, b;
    ASSERT_NE(S_ReadSymbol(-1, a), 0);
    S_ReadSymbol(o.symbol, b);
    EXPECT_STREQ(a.Name, "NAND");
    EXPECT_EQ(a.EntryCount, b.EntryCount);
    EXPECT_EQ(OA_GetCount(S_SymbolItemArray(-1)), 2);
    EntryRec pin;
    S_ReadEntry(-1, 1, pin);
    EXPECT_STREQ(pin.Name, "A");
    EXPECT_EQ(pin.Attrib, 3);
    S_ReadSymbol(-2, a);
    EXPECT_EQ(a.Status & 2, 2);
    PadStackRec ps;
    ASSERT_NE(S_ReadPadStack(OM_Object(S_SymbolPadStackMap(-2), 5), ps), 0);
    EXPECT_EQ(ps.HoleA, 800);
    EXPECT_EQ(OA_GetCount(S_PadStackItemArray(OM_Object(S_SymbolPadStackMap(-2), 5))), 1);
    DeviceRec d;
    ASSERT_NE(D_ReadDevice(-1, d), 0);
    EXPECT_STREQ(d.Name3, "DIP14 plastic");
    EXPECT_EQ(d.SupplyPinCount, 1);
    DeviceGroupRec g;
    ASSERT_NE(D_ReadGroup(-1, 1, g), 0);
    EXPECT_STREQ(g.SymbolName, "NAND");
    EXPECT_EQ(g.PinCount, 1);

    // Loading again after the caller's delete leaves exactly one preview device.
    ASSERT_NE(OM_Delete(DB_DeviceMap(), -1), 0);
    EXPECT_EQ(D_LoadDevice(-1, devRef), -1);
    int32_t cursor = 0, devices = 0;
    while (OM_SearchMask(DB_DeviceMap(), cursor, 0, 0)) ++devices;
    EXPECT_EQ(devices, 2);

    EXPECT_NE(E_CloseLibrary(sl), 0);
    EXPECT_EQ(E_CloseLibrary(sl), 0);
    EXPECT_EQ(E_GetLibDirName(sl, 0), nullptr);
    OM_Delete(DB_SymbMap(), -1);
    EXPECT_EQ(S_LoadSymbol(-1, symRef), 0) << "references die with their library";
    EXPECT_EQ(E_OpenLibToRead(sl, "NAND"), 0);
    EXPECT_NE(D_LoadDevice(-2, devRef), 0) << "the other library is still open";
    E_CloseLibrary(pl);
}

TEST_F(LibraryTest, WrongKindsAreRefused) {
    EXPECT_EQ(E_OpenLibrary(dir.path("lib.SYMBOL").c_str(), "TolviDLL00", 0), 0);
    EXPECT_EQ(E_OpenLibrary(dir.path("lib.PART").c_str(), "TolviSLL00", 0), 0);
    EXPECT_EQ(E_OpenLibrary(dir.path("lib.PART").c_str(), "TolviDLL00", 1), 0) << "read mode only";
    LibraryWriter parts(tolvi::kernel::kPartLibraryKind);
    EXPECT_FALSE(parts.addSymbol(o.symbol));
    EXPECT_TRUE(parts.addDevice(o.device));
    EXPECT_FALSE(parts.addDevice(o.device)) << "names are unique within a library";
    EXPECT_FALSE(parts.addDevice(999));
    LibraryWriter symbols(tolvi::kernel::kSymbolLibraryKind);
    EXPECT_FALSE(symbols.addDevice(o.device));
    EXPECT_FALSE(symbols.addPadStack(0, "X"));
}

TEST_F(LibraryTest, AnEmptyLibraryIsValid) {
    ASSERT_TRUE(LibraryWriter(tolvi::kernel::kPartLibraryKind).save(dir.path("empty.PART")));
    const int32_t h = E_OpenLibrary(dir.path("empty.PART").c_str(), "TolviDLL00", 0);
    ASSERT_GT(h, 0);
    EXPECT_EQ(E_GetLibDirName(h, 0), nullptr);
    EXPECT_EQ(E_OpenLibToRead(h, ""), 0);
    EXPECT_NE(E_CloseLibrary(h), 0);
}

TEST_F(LibraryTest, DamagedFilesOpenAsZero) {
    const std::vector<uint8_t> good = ReadBytes(dir.path("lib.SYMBOL"));
    ASSERT_GT(good.size(), 100u);
    struct Case {
        std::string name;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    std::vector<Case> cases = {
        {"empty", [](auto& b) { b.clear(); }},
        {"header only", [](auto& b) { b.resize(32); }},
        {"cut in an entry", [](auto& b) { b.resize(b.size() / 2); }},
        {"cut before the end chunk", [](auto& b) { b.erase(b.end() - 28, b.end()); }},
        {"bad magic", [](auto& b) { b[1] = 'X'; }},
        {"newer major version", [](auto& b) { b[8] = 2; }},
        {"flipped byte in the header", [](auto& b) { b[20] ^= 1; }},
        {"flipped byte in the kind", [](auto& b) { b[32 + 20] ^= 1; }},
        {"flipped byte in an entry", [](auto& b) { b[b.size() / 2] ^= 0x40; }},
        {"flipped byte in the end chunk", [](auto& b) { b[b.size() - 6] ^= 1; }},
        {"trailing bytes", [](auto& b) { b.push_back(0); }},
        {"another program's file",
         [](auto& b) {
             b.assign({'M', 'Z', 0x90, 0});
         }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        WriteBytes(dir.path("bad.SYMBOL"), bytes);
        EXPECT_EQ(E_OpenLibrary(dir.path("bad.SYMBOL").c_str(), "TolviSLL00", 0), 0) << c.name;
    }
    EXPECT_EQ(E_OpenLibrary(dir.path("missing.SYMBOL").c_str(), "TolviSLL00", 0), 0);
    EXPECT_EQ(E_OpenLibrary(dir.dir().c_str(), "TolviSLL00", 0), 0) << "a directory";
    EXPECT_EQ(E_OpenLibrary(nullptr, "TolviSLL00", 0), 0);
}

// Opening a library again reads its file again: whatever was written there since counts, a good
// file after a damaged one included; a library still open keeps what it was opened with.
TEST_F(LibraryTest, OpeningAgainSeesTheFileAsItIsNow) {
    const std::string path = dir.path("lib.SYMBOL");
    const std::vector<uint8_t> good = ReadBytes(path);
    const int32_t before = E_OpenLibrary(path.c_str(), "TolviSLL00", 0);
    ASSERT_GT(before, 0);
    E_CloseLibrary(E_OpenLibrary(path.c_str(), "TolviSLL00", 0));

    LibraryWriter other(tolvi::kernel::kSymbolLibraryKind);
    ASSERT_TRUE(other.addSymbol(o.symbol));
    WriteBytes(path, other.bytes());  // written in place, not replaced
    int32_t h = E_OpenLibrary(path.c_str(), "TolviSLL00", 0);
    EXPECT_EQ(Names(h), "NAND");
    EXPECT_EQ(Names(before), "DIP14,NAND,VIA30");
    E_CloseLibrary(h);

    std::vector<uint8_t> damaged = good;
    damaged[damaged.size() / 2] ^= 0x40;
    WriteBytes(path, damaged);
    EXPECT_EQ(E_OpenLibrary(path.c_str(), "TolviSLL00", 0), 0);
    WriteBytes(path, good);
    h = E_OpenLibrary(path.c_str(), "TolviSLL00", 0);
    EXPECT_EQ(Names(h), "DIP14,NAND,VIA30");
    EXPECT_EQ(E_OpenLibrary(path.c_str(), "TolviDLL00", 0), 0) << "the kind is checked every time";
    E_CloseLibrary(h);
    E_CloseLibrary(before);
}

TEST_F(LibraryTest, AnEntryWhoseObjectDoesNotParseSpoilsTheLibrary) {
    // A well-framed file whose entry bytes were written wrongly: every checksum holds. A large
    // library's entries are checked on several threads; one bad entry anywhere still spoils it.
    S_CreateSymbol(1, "GOOD");
    S_InsertEntry(1, -1, 0, 0);
    tolvi::kernel::LibraryWriter good(tolvi::kernel::kSymbolLibraryKind);
    ASSERT_TRUE(good.addSymbol(1));
    const tolvi::kernel::LibraryEntry sound = good.library().entries[0];
    const struct {
        size_t entries;
        size_t junk;  // the bad one's place; entries: none
    } cases[] = {{1, 0}, {5000, 0}, {5000, 2500}, {5000, 4999}, {5000, 5000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.entries) + " entries, junk at " + std::to_string(c.junk));
        tolvi::kernel::Library lib;
        lib.kind = tolvi::kernel::kSymbolLibraryKind;
        for (size_t i = 0; i < c.entries; ++i) {
            lib.entries.push_back(sound);
            lib.entries.back().name = "S" + std::to_string(i);
            if (i == c.junk) lib.entries.back().bytes = {1, 2, 3};
        }
        const std::string path = dir.path("lib" + std::to_string(c.junk) + ".SYMBOL");
        WriteBytes(path, tolvi::kernel::SerializeLibrary(lib));
        const int32_t h = E_OpenLibrary(path.c_str(), "TolviSLL00", 0);
        EXPECT_EQ(h != 0, c.junk == c.entries);
        E_CloseLibrary(h);
    }
}

}  // namespace
}  // namespace kt
