#include "common/utilities.h"

#include <cerrno>
#include <cstdio>

#include "common/localisation.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/screen.h"
#include "platform/text_files.h"
#include "platform/ui.h"

namespace tolvi {

namespace {
constexpr int kStyleOkExclamation = platform::kStyleSystemModal + platform::kStyleExclamation;  // 4144

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

void ResetUtilitiesState() {
    gWorkFile.clear();
    gIniBuf.clear();
    gAppTitle = "Tolvi32";
    gMsgTitle.clear();
}

// --- error boxes ---

void ShowReadFileError(const std::string& File) {
    platform::ui().MsgBox(GetLocalString("Can't read file: ", "99365") + File, kStyleOkExclamation,
                          platform::ErrDescription());
}

void ShowWriteFileError(const std::string& File) {
    platform::ui().MsgBox(GetLocalString("Can't create/write to file: ", "99335") + File, kStyleOkExclamation,
                          platform::ErrDescription());
}

void ShowDbError(int Code, const std::string& Detail) {
    struct Entry {
        int code;
        const char* id;
        const char* text;
    };
    static const Entry kMessages[] = {
        {1, "99352", "Can't load Database: "},
        {2, "99374", "Can't save Database"},
        {3, "1097", "Can't create Net hook "},
        {4, "1099", "Can't find Database File: "},
        {21, "991089", "Range Error: "},
        {22, "10294", "Can't load local vector font, default assumed."},
    };
    const std::string title = "Tolvi32 - " + gAppTitle + " (" + gMsgTitle + ")";
    for (const Entry& e : kMessages) {
        if (e.code == Code) {
            platform::ui().MsgBox(GetLocalString(e.text, e.id) + Detail, kStyleOkExclamation, title);
            return;
        }
    }
    platform::ui().MsgBox("", platform::kStyleSystemModal, title);
}

// --- text files ---

void OpenForInput(int& Err, int& FileNo, const std::string& Path) {
    FileNo = platform::FreeFileNumber();
    if (platform::OpenFileInput(FileNo, Path)) {
        Err = 0;
        return;
    }
    if (platform::IsFileOpen(FileNo)) platform::DiscardFile(FileNo);
    ShowReadFileError(Path);
    Err = 1;
}

void OpenForOutput(int& Err, int& FileNo, const std::string& Path) {
    FileNo = platform::FreeFileNumber();
    if (platform::OpenFileOutput(FileNo, Path)) {
        Err = 0;
        return;
    }
    if (platform::IsFileOpen(FileNo)) platform::DiscardFile(FileNo);
    ShowWriteFileError(Path);
    Err = 1;
}

void LineInputFile(int& Err, int FileNo, std::string& Line) {
    if (platform::ReadLine(FileNo, Line)) {
        Err = 0;
        return;
    }
    Line.clear();
    ShowReadFileError(gWorkFile);
    Err = 1;
}

void PrintLineFile(int& Err, int FileNo, std::string_view Text) {
    Err = platform::WriteText(FileNo, Text) ? 0 : 1;
    if (Err) ShowWriteFileError(gWorkFile);
}

void PrintLineFile(int& Err, int FileNo, std::vector<char>& Text, std::size_t n) {
    Err = platform::WriteText(FileNo, Text, n) ? 0 : 1;
    if (Err) ShowWriteFileError(gWorkFile);
}

bool CloseFileOptKill(int DoKill, int FileNo, const std::string& Path) {
    // A number that is not open has nothing to close.
    if (!platform::IsFileOpen(FileNo)) {
        if (DoKill != 0) std::remove(Path.c_str());
        return true;
    }
    if (DoKill != 0) {
        // The file is going anyway: drop unwritten output rather than put it over the target first.
        platform::DiscardFile(FileNo);
        std::remove(Path.c_str());
        return true;
    }
    // Output reaches its file only here, so a failed close is a lost write: say so, and keep the
    // previous file.
    if (platform::CloseFile(FileNo)) return true;
    ShowWriteFileError(Path);
    return false;
}

void AbandonFile(int FileNo) {
    if (platform::IsFileOpen(FileNo)) platform::DiscardFile(FileNo);
}

void FileOpenTest(int& Err, int ShowMessage, const std::string& FileName) {
    // Opening a directory for reading succeeds on Linux, so the test asks for a regular file.
    const int fileNo = platform::FreeFileNumber();
    if (platform::OpenFileInput(fileNo, FileName)) {
        platform::CloseFile(fileNo);
        Err = 0;
        return;
    }
    Err = 1;
    if (ShowMessage != 0) ShowDbError(4, FileName);
}

// --- paths, command lines, texts ---

void ValidateDirectory(std::string& Path, int& Err) {
    if (platform::IsRootPath(Path) || platform::IsEnterableDirectory(Path)) {
        Err = 0;
        return;
    }
    // The title names the cause, as a failed change of directory would have.
    platform::SetErrFromErrno(platform::IsDirectory(Path) ? EACCES : ENOTDIR);
    platform::ui().MsgBox(
        GetLocalString("Path: ", "991019 ") + Path + GetLocalString(" not available", "99961 "),
        kStyleOkExclamation, platform::ErrDescription());
    Err = 1;
}

std::string SplitPath(const std::string& Path, const std::string& Sep, int16_t WantDir) {
    const std::string sep = Trim(Sep);
    if (sep.size() >= 2) return "";
    // Position (1-based) of the last Sep; an empty Sep matches at the end, as a reverse search
    // for the empty text does.
    std::size_t p = Path.size();
    if (!sep.empty()) {
        p = 0;
        for (std::size_t i = Path.size(); i > 0; --i) {
            if (UpperAscii(Path[i - 1]) == UpperAscii(sep[0])) {
                p = i;
                break;
            }
        }
    }
    if (WantDir != 0) return Path.substr(0, p);
    return p == 0 ? Path : Path.substr(p);
}

std::string GetFirstToken(std::string& Line, int16_t& NoToken) {
    Line = Trim(Line);
    std::string token;
    if (!Line.empty() && Line[0] == '"') {
        const std::size_t close = Line.find('"', 1);
        if (close == std::string::npos) {
            NoToken = -1;
            return "";
        }
        token = Line.substr(1, close - 1);
        Line = Line.substr(close + 1);
    } else {
        const std::size_t end = Line.find_first_of(" /\"");
        if (end == std::string::npos) {
            token = Line;
            Line.clear();
        } else {
            token = Line.substr(0, end);
            Line = Line.substr(end);
        }
    }
    token = Trim(token);
    if (token.empty()) {
        NoToken = -1;
        return "";
    }
    NoToken = 0;
    Line = Trim(Line);
    return token;
}

std::string GetAppPath() { return platform::ProgramDirectory(); }

std::string FirstWord(const std::string& Text) {
    const std::size_t blank = Text.find(' ');
    return blank == std::string::npos ? Text : Text.substr(0, blank);
}

std::string CStrFromPtr(const char* Ptr) {
    // Kernel texts are copied whole, however long; the buffer's old bound no longer applies.
    if (Ptr == nullptr) {
        gIniBuf.clear();
    } else {
        gIniBuf.assign(Ptr);
    }
    return gIniBuf;
}

void CenterForm(QWidget* Frm) {
    if (Frm == nullptr) return;
    platform::PlaceWindow(Frm, platform::CentredOnScreen());
}

std::string CopyStr(const std::string& Text) { return Text; }
std::string CopyStr2(const std::string& Text) { return Text; }

std::string LTrim(const std::string& s) {
    const std::size_t b = s.find_first_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b);
}

std::string RTrim(const std::string& s) {
    const std::size_t e = s.find_last_not_of(' ');
    return e == std::string::npos ? std::string() : s.substr(0, e + 1);
}

std::string UpperAscii(std::string Text) {
    for (char& c : Text) c = UpperAscii(c);
    return Text;
}

std::string UpperCodePage(std::string Text) {
    for (char& ch : Text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
            ch = static_cast<char>(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9E)
            ch = static_cast<char>(c - 0x10);
        else if (c == 0xFF)
            ch = static_cast<char>(0x9F);
    }
    return Text;
}

std::string Trim(const std::string& s) { return RTrim(LTrim(s)); }

}  // namespace tolvi
