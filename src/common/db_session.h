#pragma once
// The open design database as the program sees it: the empty database it starts from, the facts
// it keeps about the open one (name, title, current hierarchy and page, label), the caption, the
// database label in the internal file "DBLABEL", the hierarchy stack file and the changed flag.
#include <cstdint>
#include <string>

namespace tolvi {

// The database label. Texts are fixed-length fields padded with blanks; whatever the callers put
// in them is padded or cut to the field's length when the label is written, and a label read
// back holds the padded fields.
struct DbLabelRec {
    static constexpr std::size_t kPasswordLen = 8;
    static constexpr std::size_t kTextLen = 25;
    static constexpr std::size_t kStoredBytes = 88;

    int32_t PassSet = 0;   // 0 = no password; any other value counts as set
    std::string Password;  // 8
    std::string Designer;  // 25
    std::string Revision;  // 25
    std::string Reserved;  // 25, not interpreted: carried byte for byte
};

inline int32_t gDbHandle = 0;  // kernel id of the open database object
inline std::string gDbName;    // name shown in the caption
inline std::string gDbTitle;   // the name the user gave (file name without extension) or "Untitled"
inline int32_t gCurHier = 0;
inline std::string gCurHierName;
inline int32_t gCurPage = 0;
inline std::string gCurPageName;
inline int32_t gPageSelector = 0;  // -100 - gCurPage, for the preview drawing
inline DbLabelRec gDbLabel;
inline std::string gDbPath;  // full path of the open database file; "" until it has one

void ResetDbSessionState();

// Replaces the open database by the empty "Untitled" one with hierarchy "MAINHIER" and page
// "MAINPAGE", made current, and opens its bitmap store. A failure shows "Can't Create Data Base",
// tells every module to close and ends the program through the host.
void CreateEmptyDatabase();
// Refreshes the facts above from the kernel and sets the main window's caption
// "Tolvi32 - <name> (hier: <hierarchy>)"; DbHandle = the database object.
void UpdateMainCaption(int32_t& DbHandle);
// Empties the internal file "HIERSTCK".
void ResetHierStackFile();
// gDbLabel = the label of the open database; a database without one gets the default label.
void ReadDbLabel();
// Stores gDbLabel in the open database, replacing the stored label. Failures are not reported.
void WriteDbLabel();
// The database-changed flag: the first number of kernel table 18.
bool IsDatabaseChanged();
void ClearDatabaseChanged();
void SetDatabaseChanged(int32_t Value);
// Id = the object named Name in Map; Err 1 (and Id 0) when there is none.
void FindNameInMap(int& Err, int32_t Map, int32_t& Id, const std::string& Name);

}  // namespace tolvi
