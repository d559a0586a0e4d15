#pragma once
// File, path and string utilities: the text-file routines that report their own failures, the
// file and database error boxes, and small path, command-line and text helpers.
//
// A routine that can fail sets Err to 0 on success and to 1 on failure, after it has shown its
// own box; callers only stop or go on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace tolvi {

// Path of the file being read or written, named by the boxes of the line routines; whoever reads
// or writes lines through LineInputFile / PrintLineFile sets it first.
inline std::string gWorkFile;
// Scratch for settings reads and kernel text copies; every call overwrites it, nobody keeps
// anything in it. Settings reads are bounded by its capacity.
constexpr std::size_t kIniBufSize = 1024;
inline std::string gIniBuf;
// The two parts of the database error box's title: the program's title (set at start-up) and the
// title of the operation in progress (set by the menu command that runs it).
inline std::string gAppTitle = "Tolvi32";
inline std::string gMsgTitle;

void ResetUtilitiesState();

// --- error boxes (system-modal, OK button) ---
void ShowReadFileError(const std::string& File);   // "Can't read file: " + File
void ShowWriteFileError(const std::string& File);  // "Can't create/write to file: " + File
// The message of Code followed by Detail, titled "Tolvi32 - <gAppTitle> (<gMsgTitle>)"; an
// unknown Code gives an empty box without an icon.
void ShowDbError(int Code, const std::string& Detail);

// --- text files by file number ---
void OpenForInput(int& Err, int& FileNo, const std::string& Path);
void OpenForOutput(int& Err, int& FileNo, const std::string& Path);
// The next line without its line end (CR LF, LF or a lone CR); past the end is a failure.
void LineInputFile(int& Err, int FileNo, std::string& Line);
// Writes Text exactly as given: the callers append their own line ends.
void PrintLineFile(int& Err, int FileNo, std::string_view Text);
// The same for the first n bytes of Text, which the file may keep instead of copying: Text then
// holds another buffer for the caller to fill next.
void PrintLineFile(int& Err, int FileNo, std::vector<char>& Text, std::size_t n);
// Closes FileNo and, when DoKill is not 0, deletes Path. Reports nothing, except an output file
// whose text could not be put on disk: that shows the write-error box for Path and gives false
// (the previous file is kept).
bool CloseFileOptKill(int DoKill, int FileNo, const std::string& Path);
// Drops an output file that will not be finished (a cancelled or failed export): what was written
// goes, and a file that already had its name stays as it was. A number that is not open is
// ignored.
void AbandonFile(int FileNo);
// Err 0 when FileName is a regular file that can be read; else Err 1 and, when ShowMessage is
// not 0, the "Can't find Database File: " box.
void FileOpenTest(int& Err, int ShowMessage, const std::string& FileName);

// --- paths, command lines, texts ---
// Err 0 when Path is the root or a directory the user can enter (tested by stat; the current
// directory is never changed); else the "Path: ... not available" box and Err 1. Path is kept
// as typed.
void ValidateDirectory(std::string& Path, int& Err);
// The directory part (WantDir not 0, separator included) or the name part of Path, split at the
// last Sep (letters compared without regard to case); a Sep of two or more characters gives "".
std::string SplitPath(const std::string& Path, const std::string& Sep, int16_t WantDir);
// Takes the first token (quoted, or up to a blank, "/" or quote) off the command line.
std::string GetFirstToken(std::string& Line, int16_t& NoToken);
// Directory of the program's executable, without a trailing "/" (the root keeps it).
std::string GetAppPath();
// The characters before the first blank; the whole text when it has none.
std::string FirstWord(const std::string& Text);
// Copy of the zero-terminated text at Ptr (owned by the kernel), whatever its length; null
// gives "".
std::string CStrFromPtr(const char* Ptr);
// Centres Frm's frame on the part of the screen windows may take, and keeps it there while it is
// shown; a window larger than that part is made smaller as far as it can be and put at its corner.
void CenterForm(QWidget* Frm);
std::string CopyStr(const std::string& Text);
std::string CopyStr2(const std::string& Text);

// Text with the letters a-z made capitals (other bytes kept): the case rule of names of
// modules, applications and commands.
std::string UpperAscii(std::string Text);
// Text with every letter of the Windows-1252 code page made a capital (accented letters too): the
// case rule of what is shown in capitals, and of comparisons of shown names.
std::string UpperCodePage(std::string Text);

// Blanks (spaces only, not tabs) removed from both ends / the start / the end.
std::string Trim(const std::string& s);
std::string LTrim(const std::string& s);
std::string RTrim(const std::string& s);

}  // namespace tolvi
