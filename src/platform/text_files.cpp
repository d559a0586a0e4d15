#include "platform/text_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <map>

#include "platform/errors.h"
#include "platform/file_commit.h"
#include "platform/paths.h"

namespace tolvi::platform {

namespace {
constexpr int kMaxFileNo = 511;

struct OpenFile {
    bool output = false;
    std::FILE* input = nullptr;
    detail::PendingFile pending;
};

std::map<int, OpenFile>& table() {
    static std::map<int, OpenFile> files;
    return files;
}

bool CheckFreeNumber(int fileNo) {
    if (fileNo < 1 || fileNo > kMaxFileNo) {
        SetErrDescription("Bad file name or number");
        return false;
    }
    if (table().count(fileNo)) {
        SetErrDescription("File already open");
        return false;
    }
    return true;
}

OpenFile* Find(int fileNo) {
    auto it = table().find(fileNo);
    if (it == table().end()) {
        SetErrDescription("Bad file name or number");
        return nullptr;
    }
    return &it->second;
}
}  // namespace

int FreeFileNumber() {
    for (int n = 1; n <= kMaxFileNo; ++n)
        if (!table().count(n)) return n;
    SetErrDescription("Too many files");
    return 0;
}

bool IsFileOpen(int fileNo) { return table().count(fileNo) != 0; }

bool OpenFileInput(int fileNo, const std::string& path) {
    if (!CheckFreeNumber(fileNo)) return false;
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0) {
        SetErrFromErrno(path.empty() ? ENOENT : errno, path);
        return false;
    }
    // A directory opens for reading on Linux; the program means a file.
    if (!S_ISREG(st.st_mode)) {
        SetErrDescription("Path/File access error");
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rbe");
    if (!f) {
        SetErrFromErrno(errno, path);
        return false;
    }
    OpenFile file;
    file.input = f;
    table().emplace(fileNo, std::move(file));
    return true;
}

bool OpenFileOutput(int fileNo, const std::string& path) {
    if (!CheckFreeNumber(fileNo)) return false;
    if (path.empty()) {
        SetErrDescription("Bad file name or number");
        return false;
    }
    OpenFile file;
    file.output = true;
    int err = 0;
    if (!detail::BeginReplace(path, file.pending, err)) {
        SetErrFromErrno(err, path);
        return false;
    }
    table().emplace(fileNo, std::move(file));
    return true;
}

bool ReadLine(int fileNo, std::string& line) {
    OpenFile* f = Find(fileNo);
    if (!f) return false;
    if (f->output) {
        SetErrDescription("Bad file mode");
        return false;
    }
    line.clear();
    int c = std::getc(f->input);
    if (c == EOF) {
        SetErrDescription(std::ferror(f->input) ? "Device I/O error" : "Input past end of file");
        return false;
    }
    while (c != EOF) {
        if (c == '\n') break;
        if (c == '\r') {
            int next = std::getc(f->input);
            if (next != '\n' && next != EOF) std::ungetc(next, f->input);
            break;
        }
        line.push_back(static_cast<char>(c));
        c = std::getc(f->input);
    }
    if (std::ferror(f->input)) {
        SetErrDescription("Device I/O error");
        return false;
    }
    return true;
}

bool WriteText(int fileNo, std::string_view text) {
    OpenFile* f = Find(fileNo);
    if (!f) return false;
    if (!f->output) {
        SetErrDescription("Bad file mode");
        return false;
    }
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), f->pending.stream) != text.size()) {
        SetErrFromErrno(errno);
        return false;
    }
    return true;
}

bool CloseFile(int fileNo) {
    OpenFile* f = Find(fileNo);
    if (!f) return false;
    OpenFile file = std::move(*f);
    table().erase(fileNo);
    if (!file.output) {
        std::fclose(file.input);
        return true;
    }
    int err = 0;
    if (!detail::CommitReplace(file.pending, err)) {
        SetErrFromErrno(err, file.pending.target);
        return false;
    }
    return true;
}

bool DiscardFile(int fileNo) {
    OpenFile* f = Find(fileNo);
    if (!f) return false;
    if (f->output)
        detail::AbandonReplace(f->pending);
    else
        std::fclose(f->input);
    table().erase(fileNo);
    return true;
}

void CloseAllFiles() {
    while (!table().empty()) {
        int n = table().begin()->first;
        const std::string saved = ErrDescription();
        CloseFile(n);
        SetErrDescription(saved);
    }
}

}  // namespace tolvi::platform
