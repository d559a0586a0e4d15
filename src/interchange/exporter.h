#pragma once
// The writers of the save-and-export window: the ASCII database (mode 1), the ZOT3 wirelist
// (mode 2), the Scicards netlist (mode 3) and the OrCad PCB II wirelist (mode 4). Each driver
// writes gExportFile from the open database through the record output and leaves the file open
// (Run, or the window, ends it). Writers read the database and change none of its objects; the
// ASCII writer moves the current hierarchy and page while it walks and reloads the option tables
// from the database's settings, the OrCad writer leaves the temporary mark 0x100 to be cleared.
//
// Result codes: 0 done, 1 disk error (the unfinished file dropped), 2 cancelled.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/dictionaries.h"
#include "interchange/record_output.h"
#include "kernel/kernel.h"

namespace tolvi {

// Set by the main window's File and Export commands before they show the window.
inline std::string gExportFile;  // the full path of the file to write
inline int32_t gExportMode = 0;  // 1 ASCII database, 2 ZOT3, 3 Scicards, 4 OrCad PCB II

void ResetExportState();

// A name dictionary looked up by hash: the rules of LookupPairTable (direction 0: the key without
// its end blanks, exact and with case; the first entry wins; a miss gives the key unchanged).
class DictionaryIndex {
public:
    explicit DictionaryIndex(const NamePairTable& table);
    std::string Lookup(const std::string& Key) const;

private:
    std::unordered_map<std::string, std::string> map_;
};

class Exporter : public RecordOutput {
public:
    explicit Exporter(ExportView* view = nullptr) : RecordOutput(view) {}

    // Runs the writer of Mode (1..4) on gExportFile, then ends the file by the result (closed on
    // 0, dropped otherwise) and, after mode 4, clears the mark 0x100 on every net and node. Does
    // not restore the current hierarchy and page. Another mode writes nothing and gives 0.
    void Run(int32_t Mode, int32_t& Result);

    // --- ASCII database ---
    int32_t mHier = 0;  // the hierarchy being written
    int32_t mPage = 0;  // the page being written
    PageRec mPageRec;
    void SaveAsciiDatabase(int32_t& Result);
    void SaveTables(int32_t& Result);
    void SaveViaPadstacks(int32_t& Result);
    void SaveSymbols(int32_t& Result);
    void SaveParts(int32_t& Result);
    void SaveNetlist(int32_t& Result);
    void SaveBuses(int32_t& Result);
    void SaveVias(int32_t& Result);
    void SaveBendPoints(int32_t& Result);
    void SaveLayComps(int32_t& Result);
    void SaveTraces(int32_t& Result);
    void SaveLayTexts(int32_t& Result);
    void SaveJunctions(int32_t& Result);
    void SaveSchComps(int32_t& Result);
    void SaveBranches(int32_t& Result);

    // --- ZOT3 wirelist ---
    void ExportWirelist(int32_t& Result);
    void WriteWrlComponents(int32_t& Result);
    void WriteWrlValues(int32_t& Result);
    void WriteWrlNodes(int32_t& Result);
    // The value text of a layout component: the text marked 8 of its first linked schematic
    // component that has one, untrimmed; "NONE" when none has.
    std::string GetLayCompValue(int32_t LayCompId, const LayCompRec& Rec);

    // --- OrCad PCB II wirelist ---
    int32_t UnconnectedPinCount = 0;  // pins named "?k" so far in this showing
    void ExportOrCadPCBII(int32_t& Result);

    // --- Scicards netlist ---
    void ExportSciNetlist(int32_t& Result);
    void WriteSciParts(int32_t& Result);
    void WriteSciNets(int32_t& Result);

private:
    // The schematic objects of the current hierarchy by page, in map order, filled once per
    // hierarchy so that each page's sections visit only their own objects.
    struct PageBuckets {
        std::vector<std::vector<int32_t>> junctions, schComps, branches;
    };
    void BucketPages();
    // "(COMPONENTS" or "(VALUES": the head, one line per readable layout component (its name and
    // Second's text), then ")".
    void WrlComponentSection(int32_t& Result, const char* Head, const std::string& Status,
                             const std::function<std::string(int32_t, const LayCompRec&)>& Second);
    // A line of one field, unless Result already tells of a failure or a cancel.
    void WriteSingle(int32_t& Result, std::string_view Text);
    void ItemRecords(int32_t& Result, int32_t Array, const char* ShapeType, const char* TextType,
                     bool ViaShapes);
    void PadStacks(int32_t& Result, int32_t Map, const char* HeadType, const char* ShapeType, bool Via);
    std::string HierStatus(const std::string& Section) const;
    std::string PageStatus(const std::string& Section) const;

    // The dictionaries of one export, indexed when its writer starts.
    const DictionaryIndex& PartIndex();
    const DictionaryIndex& PackIndex();
    void IndexDictionaries();

    PageBuckets buckets_;
    std::optional<DictionaryIndex> partIndex_;
    std::optional<DictionaryIndex> packIndex_;
};

// Writes gExportFile := Path in Mode without a window: the writer, the end of the file and the
// mark clearing of Run, then the hierarchy and page that were current before made current again.
// Returns the result code. For tests, benchmarks and tools.
int32_t WriteExportFile(int32_t Mode, const std::string& Path, ExportView* View = nullptr);

}  // namespace tolvi
