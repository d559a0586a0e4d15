#pragma once
// Named board outline formats (layouts) and page formats (schematics): six in inches and six in
// millimetres of each kind, with the default choice among them, all in the settings file.
#include <array>
#include <string>

namespace tolvi {

struct FormatRec {
    std::string Name;  // empty: an unused slot
    double W = 0.0;    // width (X size), inches or millimetres by group
    double H = 0.0;    // height (Y size)
};

// Indexed [unit][number]: unit 0 = inch, 1 = millimetre; numbers 1..6 are used, 0 stays empty.
using FormatTable = std::array<std::array<FormatRec, 7>, 2>;
inline FormatTable gBoardFormats;
inline FormatTable gPageFormats;

void ResetFormatsState();

// "FORMATS" BI1..BI6, BM1..BM6. A value that is not exactly three fields leaves its entry.
void LoadBoardFormats();
// Writes every named entry, then "LayDefbord" when it is missing (or reads "none").
void SaveBoardFormats();
void SaveDefaultBoardFormat(const std::string& Value);
// "FORMATS" I1..I6, M1..M6 and "SchDefPage", as the board formats.
void LoadPageFormats();
void SavePageFormats();
void SaveDefaultPageFormat(const std::string& Value);

}  // namespace tolvi
