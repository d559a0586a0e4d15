#pragma once
// Aperture tables: for each line or pad size used in photoplotting, the D-codes of the line,
// round and square apertures that draw it. The current table is read from its file in the
// system directory into gApertures, searched by size, and shown as D-code cells.
#include <cstdint>
#include <string>
#include <vector>

namespace tolvi {

struct AptRec {
    int32_t Size = 0;       // database units (10 nm)
    int32_t LineDcode = 0;  // 0 = none
    int32_t RoundDcode = 0;
    int32_t SquareDcode = 0;
    int32_t Flag = 0;  // 0 after loading
    int32_t Spare = 0;
};

// Row 0 is an empty record that holds no table row (a failed search shows it as blank cells);
// rows 1..u are the table, ascending by Size, each size once.
inline std::vector<AptRec> gApertures{AptRec{}};

void ResetApertureTablesState();

// Replaces gApertures with the table file gSysDir/<gAperFile><Ext> (found regardless of case when
// there is no exact match). ErrCode 0 = loaded. A file that cannot be opened leaves the table
// empty; a damaged one (no end group, a number beyond 32 bits) leaves one row of size 1 so that
// the dialogs still have a row to show. Both show the read-error box and give ErrCode 1.
void LoadApertureFile(int32_t& ErrCode, const std::string& Ext);
// Binary search of rows 1..u: Index = the row of Size, else 0 and InsertPos = where a row of
// that size belongs (0 for an empty table).
void FindApertureSize(int32_t& Index, int32_t Size, int32_t& InsertPos);
// Nine blanks for 0; otherwise "D", the digits without sign, "*", blank-padded or cut to five.
std::string FormatDcodeCell(int32_t DCode);

}  // namespace tolvi
