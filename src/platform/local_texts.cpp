#include "platform/local_texts.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

std::unordered_map<int32_t, std::string>& table() {
    static std::unordered_map<int32_t, std::string> texts;
    return texts;
}

bool ParseId(std::string_view s, int32_t& id) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    bool negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    if (s.empty()) return false;
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > INT32_MAX + 1LL) return false;
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    id = static_cast<int32_t>(v);
    return true;
}

void AddLine(std::string_view line) {
    std::string_view t = line;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    if (t.empty() || t.front() == ';' || t.front() == '#') return;
    auto eq = line.find('=');
    int32_t id = 0;
    if (eq == std::string_view::npos || !ParseId(line.substr(0, eq), id) || id == 0) return;
    table().emplace(id, std::string(line.substr(eq + 1)));  // keeps the first entry of an id
}

}  // namespace

int32_t L32_Object_Create(const char* path) {
    table().clear();
    if (!path) return 0;
    std::FILE* f = std::fopen(path, "rbe");
    if (!f) return 0;
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    bool bad = std::ferror(f);  // a directory, for one
    std::fclose(f);
    if (bad) return 0;
    std::string_view all(bytes);
    size_t start = 0;
    for (size_t i = 0; i <= all.size(); ++i) {
        if (i < all.size() && all[i] != '\r' && all[i] != '\n') continue;
        AddLine(all.substr(start, i - start));
        if (i + 1 < all.size() && all[i] == '\r' && all[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return 1;
}

const char* L32_Object_GetMessage(int32_t id) {
    if (id == 0) return nullptr;
    auto it = table().find(id);
    return it == table().end() ? nullptr : it->second.c_str();
}

void L32_Object_Delete() { table().clear(); }
