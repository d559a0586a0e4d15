#include "platform/profile.h"

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/errors.h"
#include "platform/paths.h"

namespace tolvi::platform {

namespace {

struct Line {
    std::string text;
    std::string end;  // "\r\n", "\n", "\r" or "" for a last line without one
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Case folding of the code page's letters, so "Größe" and "GRÖSSE"-style keys that differ only
// in case are one key, as the system's own profile functions treat them.
unsigned char Fold(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    if (c == 0x9A || c == 0x9C || c == 0x9E) return c - 16;
    if (c == 0xFF) return 0x9F;
    return c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\n' && c != '\r') continue;
        Line l{std::string(bytes.substr(start, i - start)), ""};
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            l.end = "\r\n";
            ++i;
        } else {
            l.end = std::string(1, c);
        }
        lines.push_back(std::move(l));
        start = i + 1;
    }
    if (start < bytes.size()) lines.push_back({std::string(bytes.substr(start)), ""});
    return lines;
}

// The name of a "[Section]" line, or false when the line is no header. A "[" line without its
// "]" is no header (the keys after it stay in the section before), as the suite has always read
// the shared settings files.
bool SectionName(std::string_view text, std::string_view& name) {
    std::string_view t = Trim(text);
    if (t.empty() || t.front() != '[') return false;
    t.remove_prefix(1);
    auto close = t.find(']');
    if (close == std::string_view::npos) return false;
    name = Trim(t.substr(0, close));
    return true;
}

// Key and raw value of a "Key=Value" line; comments, "[" lines and lines without "=" are no
// entries.
bool KeyLine(std::string_view text, std::string_view& key, std::string_view& value) {
    std::string_view t = Trim(text);
    if (t.empty() || t.front() == ';' || t.front() == '[') return false;
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(t.substr(0, eq));
    value = t.substr(eq + 1);
    return true;
}

struct Location {
    int section = -1;    // index of the header line, -1 when the section is missing
    int key = -1;        // index of the key line, -1 when the key is missing
    int lastEntry = -1;  // last non-blank line of the section (the header when it is empty)
};

// The first section of that name and the first key of that name in it.
Location Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location loc;
    bool inside = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string_view name, k, v;
        if (SectionName(lines[i].text, name)) {
            if (inside) break;
            if (SameName(name, section)) {
                inside = true;
                loc.section = loc.lastEntry = i;
            }
            continue;
        }
        if (!inside) continue;
        if (!Trim(lines[i].text).empty()) loc.lastEntry = i;
        if (loc.key < 0 && KeyLine(lines[i].text, k, v) && SameName(k, key)) loc.key = i;
    }
    return loc;
}

enum class ReadResult { kOk, kMissing, kFailed };

ReadResult ReadWhole(const std::string& file, std::string& bytes, int& err) {
    bytes.clear();
    std::FILE* f = std::fopen(file.c_str(), "rbe");
    if (!f) {
        err = errno;
        return err == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
    }
    char buf[65536];
    size_t n;
    errno = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    bool bad = std::ferror(f);
    err = bad ? (errno ? errno : EIO) : 0;
    std::fclose(f);
    return bad ? ReadResult::kFailed : ReadResult::kOk;
}

std::string CutTo(std::string_view s, std::size_t capacity) {
    if (capacity == 0) return {};
    return std::string(s.substr(0, capacity - 1));
}

}  // namespace

std::string ProfileGetString(const std::string& section, const std::string& key, const std::string& def,
                             const std::string& file, std::size_t capacity) {
    std::string_view d(def);
    while (!d.empty() && IsBlank(d.back())) d.remove_suffix(1);
    std::string bytes;
    int err = 0;
    if (IsDirectory(file) || ReadWhole(file, bytes, err) != ReadResult::kOk) return CutTo(d, capacity);
    std::vector<Line> lines = SplitLines(bytes);
    Location loc = Locate(lines, Trim(section), Trim(key));
    std::string_view k, v;
    if (loc.key < 0 || !KeyLine(lines[loc.key].text, k, v)) return CutTo(d, capacity);
    v = Trim(v);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return CutTo(v, capacity);
}

bool ProfileWriteString(const std::string& section, const std::string& key, const std::string* value,
                        const std::string& file) {
    const std::string_view sec = Trim(section), k = Trim(key);
    if (file.empty() || sec.empty() || k.empty()) {
        SetErrDescription("Bad file name or number");
        return false;
    }
    // A line end inside a name or value would split its line and corrupt the file; refuse it.
    auto breaksLine = [](std::string_view t) { return t.find_first_of("\r\n") != std::string_view::npos; };
    if (breaksLine(sec) || breaksLine(k) || (value && breaksLine(*value))) {
        SetErrDescription("Invalid procedure call or argument");
        return false;
    }
    if (IsDirectory(file)) {
        SetErrDescription("Path/File access error");
        return false;
    }
    std::string bytes;
    int err = 0;
    switch (ReadWhole(file, bytes, err)) {
        case ReadResult::kOk:
            break;
        case ReadResult::kMissing:
            if (!value) return true;  // nothing to delete
            break;
        case ReadResult::kFailed:
            SetErrFromErrno(err, file);
            return false;
    }

    std::vector<Line> lines = SplitLines(bytes);
    std::string style = "\r\n";
    for (const Line& l : lines)
        if (!l.end.empty()) {
            style = l.end;
            break;
        }

    Location loc = Locate(lines, sec, k);
    if (!value) {
        if (loc.key < 0) return true;
        lines.erase(lines.begin() + loc.key);
    } else {
        const std::string entry = std::string(k) + "=" + *value;
        auto insertAt = [&](int index, std::string text) {
            // The line before the new one needs an end of its own.
            if (index > 0 && lines[index - 1].end.empty()) lines[index - 1].end = style;
            lines.insert(lines.begin() + index, Line{std::move(text), style});
        };
        if (loc.key >= 0) {
            std::string_view oldKey, oldValue;
            KeyLine(lines[loc.key].text, oldKey, oldValue);
            lines[loc.key].text = std::string(oldKey) + "=" + *value;
        } else if (loc.section >= 0) {
            insertAt(loc.lastEntry + 1, entry);
        } else {
            insertAt(static_cast<int>(lines.size()), "[" + std::string(sec) + "]");
            insertAt(static_cast<int>(lines.size()), entry);
        }
    }

    std::string out;
    out.reserve(bytes.size() + 64);
    for (const Line& l : lines) out += l.text + l.end;
    std::string error;
    if (!WriteFileAtomically(file, out, &error)) {
        SetErrDescription(error);
        return false;
    }
    return true;
}

}  // namespace tolvi::platform
