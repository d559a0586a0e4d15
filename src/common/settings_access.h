#pragma once
// The settings file (read, write and delete a key) and the comma-list parser that turns a value,
// a module command or a record line into numbered fields.
#include <string>
#include <string_view>
#include <vector>

namespace tolvi {

// Full path of the settings file, filled at start-up.
inline std::string gIniFile;
// Fields of the last ParseList: gTokStr[0] is always "", fields are numbered from 1.
inline std::vector<std::string> gTokStr{""};
// gTokNum[0] holds the field count n, gTokNum[i] the value of field i. Single precision, as the
// callers have always had it: integers above 2^24 lose their lowest digits here, so whoever needs
// them exactly reads the text field.
inline std::vector<float> gTokNum{0.0f};

void ResetSettingsAccessState();

// Value of Key in Section of gIniFile, or Default (its trailing blanks dropped) when the file,
// the section or the key is missing; at most 1023 characters. Never reports.
void IniGetString(const std::string& Section, const std::string& Key, const std::string& Default,
                  std::string& Value);
// Writes Key=Value, creating the file, section or key. A failure shows the write-error box with
// the settings file's path and gives Err = 1.
void IniPutString(const std::string& Section, const std::string& Key, const std::string& Value, int& Err);
// Removes Key (a missing key is success); failures as for IniPutString.
void IniDeleteKey(const std::string& Section, const std::string& Key, int& Err);

// One operation on the settings file (a save-all, a dialog from its showing to its Accept,
// start-up), as a scope: while one lives (they nest; the outermost counts) the file is read once
// and held, every IniGetString sees every IniPutString and IniDeleteKey made before it, and the
// file is written once, when the outermost scope ends, only when the writes changed it. A
// failure, of a write or of that final one, shows the write-error box once per operation; the
// writes inside report Err = 1 only for what failed at once. Without an open operation every
// write replaces the file at once, as the box and Err of each key tell.
//
//     void F_Accept_Click() {
//         SettingsOperation op;  // all of this dialog's keys in one write
//         SaveGridTables();
//         SaveTextSizes();
//     }
class SettingsOperation {
public:
    SettingsOperation();
    ~SettingsOperation();
    SettingsOperation(const SettingsOperation&) = delete;
    SettingsOperation& operator=(const SettingsOperation&) = delete;
};

// Splits Text at commas into gTokStr / gTokNum (re-created on every call). A field that starts
// with a double quote may hold commas. Never fails: every text gives at least one field.
void ParseList(const std::string& Text);
// The same split into views of Text, Fields[0] empty and the fields from 1, with nothing
// converted: for readers that take a great many lines and parse only their number fields.
void SplitList(std::string_view Text, std::vector<std::string_view>& Fields);
// The numeric value of Text: blanks, tabs and line feeds ignored, a decimal comma accepted,
// "&H" / "&O" prefixes, E or D exponents; reading stops at the first character that does not
// fit. Never fails: no number, or one out of range, gives 0.
double ParseNumber(std::string_view Text);

}  // namespace tolvi
