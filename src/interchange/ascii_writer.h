#pragma once
// The ASCII database writer (export mode 1): the whole open database, section by section, into
// gExportFile through a record output (interchange/ascii_format.h has the file's order). It reads
// the database and changes none of its objects; while it walks it moves the current hierarchy
// and page (the caller puts them back) and reloads the option tables from the database's
// settings.
#include <cstdint>
#include <vector>

#include "interchange/record_output.h"
#include "kernel/kernel.h"

namespace tolvi {

class AsciiDatabaseWriter {
public:
    explicit AsciiDatabaseWriter(RecordOutput& Output) : mOut(Output) {}

    // Opens gExportFile and writes the database into it; the file is left for the caller to end.
    void SaveAsciiDatabase();

private:
    // The sections, in the file's order: the tables and the library objects once, the design's
    // sections per hierarchy, the schematic's per page.
    void SaveTables();
    void SaveViaPadstacks();
    void SaveSymbols();
    void SaveParts();
    void SaveHierarchy();
    void SaveNetlist();
    void SaveBuses();
    void SaveVias();
    void SaveBendPoints();
    void SaveLayComps();
    void SaveTraces();
    void SaveLayTexts();
    void SavePage();
    void SaveJunctions();
    void SaveSchComps();
    void SaveBranches();

    // The item records of Array: shapes as ShapeType (only rectangles and circles when ViaShapes),
    // texts as TextType; a type left out (0) writes none of its kind.
    void ItemRecords(int32_t Array, AsciiRecordType ShapeType, AsciiRecordType TextType, bool ViaShapes);
    // Every padstack of Map above 0: its HeadType record, then its shapes.
    void PadStacks(int32_t Map, AsciiRecordType HeadType, AsciiRecordType ShapeType, bool Via);
    // The schematic objects of the current hierarchy by page, in map order, filled once per
    // hierarchy so that each page's sections visit only their own objects.
    void BucketPages();

    struct PageBuckets {
        std::vector<std::vector<int32_t>> junctions, schComps, branches;
    };

    RecordOutput& mOut;
    int32_t mHier = 0;  // the hierarchy being written
    int32_t mPage = 0;  // the page being written
    PageRec mPageRec;
    PageBuckets mBuckets;
};

}  // namespace tolvi
