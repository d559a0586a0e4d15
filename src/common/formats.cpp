#include "common/formats.h"

#include "common/numbers.h"
#include "common/settings_access.h"

namespace tolvi {

namespace {

const char* const kSection = "FORMATS";

// Built-in values by [unit][number - 1]. The ")" after the height is part of the stored text and
// falls away when the height is read as a number.
const char* const kBoardDefaults[2][6] = {
    {"A,3,3)", "B,4,4)", "C,3,4)", "D,4,3)", "E,5,3)", "F,4.5,3.5)"},
    {"A,150,100)", "B,100,100)", "C,100,80)", "D,90,110)", "E,110,90)", "F,80,80)"},
};
const char* const kPageDefaults[2][6] = {
    {"A(landscape),11,8.5)", "B,17,11)", "C,22,17)", "D,34,22)", "E,44,34)", "A(portrait),8.5,11)"},
    {"A4(landscape),297,210)", "A3,420,297)", "A2,594,420)", "A1,841,594)", "A0,1189,841)",
     "A4(portrait),210,297)"},
};

void LoadFormats(FormatTable& table, const char* const prefix[2], const char* const defaults[2][6]) {
    for (int unit = 0; unit < 2; ++unit) {
        for (int n = 1; n <= 6; ++n) {
            std::string value;
            IniGetString(kSection, prefix[unit] + std::to_string(n), defaults[unit][n - 1], value);
            ParseList(value);
            if (gTokNum[0] != 3.0f) continue;
            // Sizes come from the field text in double precision: through the single-precision
            // field numbers 8.3 would come back as 8.30000019073486 and be rewritten so.
            FormatRec& f = table[unit][n];
            f.Name = gTokStr[1];
            f.W = ParseNumber(gTokStr[2]);
            f.H = ParseNumber(gTokStr[3]);
        }
    }
}

void SaveFormats(const FormatTable& table, const char* const prefix[2]) {
    for (int unit = 0; unit < 2; ++unit) {
        for (int n = 1; n <= 6; ++n) {
            const FormatRec& f = table[unit][n];
            if (f.Name.empty()) continue;
            int err = 0;
            IniPutString(kSection, prefix[unit] + std::to_string(n),
                         f.Name + "," + IniNumText(f.W) + "," + IniNumText(f.H), err);
        }
    }
}

// Writes Key = Value only when the key is missing (or holds the placeholder "none").
void FillDefaultChoice(const char* key, const std::string& value) {
    std::string current;
    IniGetString(kSection, key, "none", current);
    if (current != "none") return;
    int err = 0;
    IniPutString(kSection, key, value, err);
}

const char* const kBoardPrefix[2] = {"BI", "BM"};
const char* const kPagePrefix[2] = {"I", "M"};

}  // namespace

void ResetFormatsState() {
    gBoardFormats = FormatTable{};
    gPageFormats = FormatTable{};
}

void LoadBoardFormats() { LoadFormats(gBoardFormats, kBoardPrefix, kBoardDefaults); }

void LoadPageFormats() { LoadFormats(gPageFormats, kPagePrefix, kPageDefaults); }

void SaveBoardFormats() {
    SaveFormats(gBoardFormats, kBoardPrefix);
    const FormatRec& first = gBoardFormats[0][1];
    FillDefaultChoice("LayDefbord", "1," + PlainNumText(first.W) + "," + PlainNumText(first.H) + ",I0");
}

void SavePageFormats() {
    SaveFormats(gPageFormats, kPagePrefix);
    FillDefaultChoice("SchDefPage", "1,I1");
}

void SaveDefaultBoardFormat(const std::string& Value) {
    int err = 0;
    IniPutString(kSection, "LayDefBord", Value, err);
}

void SaveDefaultPageFormat(const std::string& Value) {
    int err = 0;
    IniPutString(kSection, "SchDefPage", Value, err);
}

}  // namespace tolvi
