#include "platform/profile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <optional>
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

// Which version of a file was read: a write by anyone since changes it.
struct Stamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{}, ctime{};
    bool operator==(const Stamp& o) const {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
               mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec &&
               ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

Stamp StampOf(const struct stat& st) {
    return Stamp{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

Stamp StampOf(const std::string& file) {
    struct stat st;
    return ::stat(file.c_str(), &st) == 0 ? StampOf(st) : Stamp{};
}

ReadResult ReadWhole(const std::string& file, std::string& bytes, int& err, Stamp* stamp = nullptr) {
    bytes.clear();
    if (stamp) *stamp = Stamp{};
    std::FILE* f = std::fopen(file.c_str(), "rbe");
    if (!f) {
        err = errno;
        return err == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
    }
    struct stat st;
    if (stamp && ::fstat(fileno(f), &st) == 0) *stamp = StampOf(st);
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

std::string Join(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& l : lines) out += l.text + l.end;
    return out;
}

// A write or (no value) delete of one key.
struct Edit {
    std::string section, key;
    std::optional<std::string> value;
};

// Makes edit in lines, keeping every other line; false when nothing changes (a missing key
// deleted).
bool Apply(std::vector<Line>& lines, const Edit& edit) {
    Location loc = Locate(lines, edit.section, edit.key);
    if (!edit.value) {
        if (loc.key < 0) return false;
        lines.erase(lines.begin() + loc.key);
        return true;
    }
    std::string style = "\r\n";  // a new file's
    for (const Line& l : lines)
        if (!l.end.empty()) {
            style = l.end;
            break;
        }
    auto insertAt = [&](int index, std::string text) {
        // The line before the new one needs an end of its own.
        if (index > 0 && lines[index - 1].end.empty()) lines[index - 1].end = style;
        lines.insert(lines.begin() + index, Line{std::move(text), style});
    };
    if (loc.key >= 0) {
        std::string_view oldKey, oldValue;
        KeyLine(lines[loc.key].text, oldKey, oldValue);
        lines[loc.key].text = std::string(oldKey) + "=" + *edit.value;
    } else if (loc.section >= 0) {
        insertAt(loc.lastEntry + 1, edit.key + "=" + *edit.value);
    } else {
        insertAt(static_cast<int>(lines.size()), "[" + edit.section + "]");
        insertAt(static_cast<int>(lines.size()), edit.key + "=" + *edit.value);
    }
    return true;
}

// A settings file as a batch holds it: the lines with the batch's edits made, what was read, and
// the edits, to be made again on what is there at the commit when someone wrote the file since.
struct Held {
    std::vector<Line> lines;
    std::string bytes;
    Stamp stamp;
    std::vector<Edit> edits;
};

int gBatchDepth = 0;
std::map<std::string, Held> gHeld;  // by path, while a batch is open

// The held copy of file, read at its first use in the batch; null when it cannot be read.
Held* HeldFile(const std::string& file, int& err) {
    auto it = gHeld.find(file);
    if (it != gHeld.end()) return &it->second;
    Held h;
    if (ReadWhole(file, h.bytes, err, &h.stamp) == ReadResult::kFailed) return nullptr;
    h.lines = SplitLines(h.bytes);
    return &gHeld.emplace(file, std::move(h)).first->second;
}

bool WriteWhole(const std::string& file, const std::string& out) {
    std::string error;
    if (!WriteFileAtomically(file, out, &error)) {
        SetErrDescription(error);
        return false;
    }
    return true;
}

// Writes what the batch made of file, when that differs from the file as it is.
bool Commit(const std::string& file, Held& h) {
    if (h.edits.empty()) return true;
    if (!(StampOf(file) == h.stamp)) {
        // Written by someone else since it was read: the edits go onto what is there now.
        int err = 0;
        if (ReadWhole(file, h.bytes, err, &h.stamp) == ReadResult::kFailed) {
            SetErrFromErrno(err, file);
            return false;
        }
        h.lines = SplitLines(h.bytes);
        for (const Edit& e : h.edits) Apply(h.lines, e);
    }
    const std::string out = Join(h.lines);
    if (out == h.bytes) return true;  // nothing to change, nothing written
    return WriteWhole(file, out);
}

}  // namespace

std::string ProfileGetString(const std::string& section, const std::string& key, const std::string& def,
                             const std::string& file, std::size_t capacity) {
    std::string_view d(def);
    while (!d.empty() && IsBlank(d.back())) d.remove_suffix(1);
    if (IsDirectory(file)) return CutTo(d, capacity);
    std::vector<Line> read;
    const std::vector<Line>* lines = &read;
    int err = 0;
    if (gBatchDepth > 0) {
        const Held* h = HeldFile(file, err);
        if (!h) return CutTo(d, capacity);
        lines = &h->lines;
    } else {
        std::string bytes;
        if (ReadWhole(file, bytes, err) != ReadResult::kOk) return CutTo(d, capacity);
        read = SplitLines(bytes);
    }
    Location loc = Locate(*lines, Trim(section), Trim(key));
    std::string_view k, v;
    if (loc.key < 0 || !KeyLine((*lines)[loc.key].text, k, v)) return CutTo(d, capacity);
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
    // Outside a batch the write is a batch of its own.
    if (gBatchDepth == 0) {
        ProfileBeginBatch();
        const bool made = ProfileWriteString(section, key, value, file);
        return ProfileEndBatch() && made;
    }
    int err = 0;
    Held* h = HeldFile(file, err);
    if (!h) {
        SetErrFromErrno(err, file);
        return false;
    }
    Edit edit{std::string(sec), std::string(k), value ? std::optional<std::string>(*value) : std::nullopt};
    if (Apply(h->lines, edit)) h->edits.push_back(std::move(edit));
    return true;
}

void ProfileBeginBatch() { ++gBatchDepth; }

bool ProfileEndBatch(std::vector<std::string>* failed) {
    if (gBatchDepth == 0) return true;
    if (--gBatchDepth > 0) return true;
    bool ok = true;
    for (auto& [file, held] : gHeld)
        if (!Commit(file, held)) {
            ok = false;
            if (failed) failed->push_back(file);
        }
    gHeld.clear();  // a failed file is read afresh: it holds what it held before
    return ok;
}

void ResetProfileState() {
    gBatchDepth = 0;
    gHeld.clear();
}

}  // namespace tolvi::platform
