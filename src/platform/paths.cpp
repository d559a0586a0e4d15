#include "platform/paths.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "base/file_replace.h"
#include "platform/errors.h"

namespace tolvi::platform {

std::string JoinPath(std::string_view dir, std::string_view name) {
    if (dir.empty()) return std::string(name);
    std::string out(dir);
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    size_t start = 0;
    while (start < name.size() && name[start] == '/') ++start;
    if (out.back() != '/') out += '/';
    out.append(name.substr(start));
    return out;
}

bool IsRootPath(std::string_view path) {
    return !path.empty() && std::all_of(path.begin(), path.end(), [](char c) { return c == '/'; });
}

std::string FileNamePart(std::string_view path) {
    auto p = path.rfind('/');
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string DirectoryPart(std::string_view path) {
    auto p = path.rfind('/');
    if (p == std::string_view::npos) return "";
    if (p == 0) return "/";
    return std::string(path.substr(0, p));
}

std::string AbsolutePath(std::string_view path) {
    std::string out;
    if (path.empty() || path.front() != '/') {
        std::vector<char> buf(PATH_MAX);
        if (::getcwd(buf.data(), buf.size())) out = buf.data();
    }
    // "." and empty segments go; ".." stays, since a link may stand before it.
    std::size_t i = 0;
    while (i <= path.size()) {
        const std::size_t next = std::min(path.find('/', i), path.size());
        const std::string_view seg = path.substr(i, next - i);
        if (!seg.empty() && seg != ".") out = JoinPath(out.empty() ? "/" : out, seg);
        i = next + 1;
    }
    return out.empty() ? "/" : out;
}

bool PathExists(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsEnterableDirectory(const std::string& path) {
    return IsDirectory(path) && access(path.c_str(), X_OK) == 0;
}

bool IsReadableRegularFile(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           access(path.c_str(), R_OK) == 0;
}

namespace {
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

// The entry of dir named like name without regard to case; the smallest such name, so that the
// choice does not depend on the directory's order.
std::string FindIgnoringCase(const std::string& dir, std::string_view name) {
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return "";
    std::string best;
    while (dirent* e = readdir(d)) {
        std::string_view n(e->d_name);
        if (SameIgnoringAsciiCase(n, name) && (best.empty() || n < best)) best = n;
    }
    closedir(d);
    return best;
}
}  // namespace

std::string ResolveFixedName(std::string_view dir, std::string_view name) {
    std::string exact = JoinPath(dir, name);
    if (PathExists(exact)) return exact;
    // One component at a time, so "Help/Index.htm" also finds "help/INDEX.HTM".
    std::string current(dir);
    size_t pos = 0;
    while (pos <= name.size()) {
        size_t end = name.find('/', pos);
        if (end == std::string_view::npos) end = name.size();
        std::string_view part = name.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty()) continue;
        std::string next = JoinPath(current, part);
        if (!PathExists(next)) {
            std::string found = FindIgnoringCase(current, part);
            if (found.empty()) return exact;
            next = JoinPath(current, found);
        }
        current = std::move(next);
    }
    return current;
}

std::string ProgramDirectory() {
    std::vector<char> buf(PATH_MAX + 1);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return ".";
    return DirectoryPart(std::string_view(buf.data(), static_cast<size_t>(n)));
}

std::string ProgramFileName() {
    std::vector<char> buf(PATH_MAX + 1);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return "tolvi32";
    return FileNamePart(std::string_view(buf.data(), static_cast<size_t>(n)));
}

std::string HomeDirectory() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    const int err = base::ReplaceFile(path, bytes.data(), bytes.size());
    if (err && error) {
        const std::string dir = DirectoryPart(path);
        if (err == ENOENT && !IsDirectory(dir.empty() ? "." : dir))
            *error = "Path not found";
        else
            *error = ErrnoDescription(err);
    }
    return err == 0;
}

}  // namespace tolvi::platform
