#pragma once
// The three netlists of the current hierarchy, each a writer over a record output into
// gExportFile: the ZOT3 wirelist (export mode 2), the Scicards netlist (3) and the OrCad PCB II
// wirelist (4). They read the database and change none of its objects; each leaves its file open
// for the caller to end.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "common/dictionaries.h"
#include "interchange/record_output.h"
#include "kernel/kernel.h"

namespace tolvi {

// A name dictionary looked up by hash: the rules of LookupPairTable (direction 0: the key without
// its end blanks, exact and with case; the first entry wins; a miss gives the key unchanged).
class DictionaryIndex {
public:
    explicit DictionaryIndex(const NamePairTable& table);
    std::string Lookup(const std::string& Key) const;

private:
    std::unordered_map<std::string, std::string> mMap;
};

// The value text of a layout component: the text marked 8 of its first linked schematic
// component that has one, untrimmed; "NONE" when none has.
std::string GetLayCompValue(int32_t LayCompId, const LayCompRec& Rec);

// "(PATH", then "(COMPONENTS" (each layout component with its part, or "*" and its package),
// "(VALUES" and "(NODES" (each net with its layout pins), names through the part-name and
// package-name dictionaries.
class Zot3Writer {
public:
    explicit Zot3Writer(RecordOutput& Output);
    void ExportWirelist();

private:
    // "(COMPONENTS" or "(VALUES": the head, one line per readable layout component (its name and
    // Second's text), then ")".
    template <class SecondText>
    void WrlComponentSection(const char* Head, const std::string& Status, SecondText&& Second);
    void WriteWrlComponents();
    void WriteWrlValues();
    void WriteWrlNodes();

    RecordOutput& mOut;
    DictionaryIndex mParts;
    DictionaryIndex mPackages;
};

// "PARTS LIST" (the schematic components, three to a line) and "NETS LIST" (each net's
// schematic pins, three to a line), each ended by "EOS".
class SciCardsWriter {
public:
    explicit SciCardsWriter(RecordOutput& Output) : mOut(Output) {}
    void ExportSciNetlist();

private:
    void WriteSciParts();
    void WriteSciNets();

    RecordOutput& mOut;
};

// One block per layout component with a part and a symbol: the part, the name, and every pin of
// the symbol with the net on it, or "?k" for a pin on no net (k counting on over the window's
// showing, in UnconnectedPinCount).
class OrCadPcb2Writer {
public:
    OrCadPcb2Writer(RecordOutput& Output, int32_t& UnconnectedPinCount);
    void ExportOrCadPCBII();

private:
    RecordOutput& mOut;
    int32_t& mUnconnectedPinCount;
    DictionaryIndex mParts;
};

}  // namespace tolvi
