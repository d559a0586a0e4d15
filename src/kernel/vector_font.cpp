// The built-in stroke font and the reader of QUV32VFONT.TVF ("TVF1" text; the format and the
// metrics are described in vector_font.h). The shipped resources/QUV32VFONT.TVF is
// BuiltInFontText(), so the file and the fallback always draw alike.
#include "kernel/vector_font.h"

#include <memory>
#include <sstream>

#include "kernel/file_input.h"

namespace tolvi::kernel {

namespace {

// Strokes of the printable ASCII characters: points "x,y" separated by blanks, strokes by ";".
// Dots are short upright strokes so that every mark has length.
struct GlyphDef {
    char code;
    const char* strokes;
};

constexpr GlyphDef kGlyphs[] = {
    {'!', "2,6 2,2;2,0 2,1"},
    {'"', "1,6 1,4;4,6 4,4"},
    {'#', "1,0 2,6;3,0 4,6;0,4 5,4;0,2 5,2"},
    {'$', "5,5 4,6 1,6 0,5 0,4 1,3 4,3 5,2 5,1 4,0 1,0 0,1;2,6 2,0"},
    {'%', "0,0 5,6;0,6 0,5 1,5 1,6 0,6;4,1 4,0 5,0 5,1 4,1"},
    {'&', "5,0 1,4 1,5 2,6 3,6 4,5 4,4 0,2 0,1 1,0 3,0 5,2"},
    {'\'', "2,6 2,4"},
    {'(', "3,6 1,4 1,2 3,0"},
    {')', "2,6 4,4 4,2 2,0"},
    {'*', "0,3 5,3;1,5 4,1;1,1 4,5"},
    {'+', "0,3 4,3;2,5 2,1"},
    {',', "2,1 1,0"},
    {'-', "1,3 4,3"},
    {'.', "2,0 2,1"},
    {'/', "0,0 5,6"},
    {'0', "1,0 4,0 5,1 5,5 4,6 1,6 0,5 0,1 1,0;0,1 5,5"},
    {'1', "1,4 3,6 3,0;1,0 5,0"},
    {'2', "0,5 1,6 4,6 5,5 5,4 0,0 5,0"},
    {'3', "0,5 1,6 4,6 5,5 5,4 4,3 2,3;4,3 5,2 5,1 4,0 1,0 0,1"},
    {'4', "4,0 4,6 0,2 5,2"},
    {'5', "5,6 0,6 0,3 4,3 5,2 5,1 4,0 1,0 0,1"},
    {'6', "4,6 2,6 0,4 0,1 1,0 4,0 5,1 5,2 4,3 0,3"},
    {'7', "0,6 5,6 2,0"},
    {'8', "1,3 0,4 0,5 1,6 4,6 5,5 5,4 4,3 1,3 0,2 0,1 1,0 4,0 5,1 5,2 4,3"},
    {'9', "5,3 1,3 0,4 0,5 1,6 4,6 5,5 5,2 3,0 1,0"},
    {':', "2,4 2,5;2,1 2,2"},
    {';', "2,4 2,5;2,2 2,1 1,0"},
    {'<', "4,6 1,3 4,0"},
    {'=', "0,4 5,4;0,2 5,2"},
    {'>', "1,6 4,3 1,0"},
    {'?', "0,5 1,6 4,6 5,5 5,4 2,2 2,1;2,0 2,1"},
    {'@', "4,2 2,2 2,4 4,4 4,1 5,1 5,5 4,6 1,6 0,5 0,1 1,0 4,0"},
    {'A', "0,0 0,4 2,6 3,6 5,4 5,0;0,3 5,3"},
    {'B', "0,0 0,6 4,6 5,5 5,4 4,3 0,3;4,3 5,2 5,1 4,0 0,0"},
    {'C', "5,5 4,6 1,6 0,5 0,1 1,0 4,0 5,1"},
    {'D', "0,0 0,6 3,6 5,4 5,2 3,0 0,0"},
    {'E', "5,6 0,6 0,0 5,0;0,3 3,3"},
    {'F', "5,6 0,6 0,0;0,3 3,3"},
    {'G', "5,5 4,6 1,6 0,5 0,1 1,0 4,0 5,1 5,3 3,3"},
    {'H', "0,0 0,6;5,0 5,6;0,3 5,3"},
    {'I', "0,6 4,6;0,0 4,0;2,6 2,0"},
    {'J', "5,6 5,1 4,0 1,0 0,1"},
    {'K', "0,0 0,6;5,6 0,2;1,3 5,0"},
    {'L', "0,6 0,0 5,0"},
    {'M', "0,0 0,6 2,2 3,2 5,6 5,0"},
    {'N', "0,0 0,6 5,0 5,6"},
    {'O', "1,0 4,0 5,1 5,5 4,6 1,6 0,5 0,1 1,0"},
    {'P', "0,0 0,6 4,6 5,5 5,4 4,3 0,3"},
    {'Q', "1,0 4,0 5,1 5,5 4,6 1,6 0,5 0,1 1,0;3,2 5,0"},
    {'R', "0,0 0,6 4,6 5,5 5,4 4,3 0,3;2,3 5,0"},
    {'S', "5,5 4,6 1,6 0,5 0,4 1,3 4,3 5,2 5,1 4,0 1,0 0,1"},
    {'T', "0,6 5,6;2,6 2,0"},
    {'U', "0,6 0,1 1,0 4,0 5,1 5,6"},
    {'V', "0,6 2,0 3,0 5,6"},
    {'W', "0,6 1,0 2,4 3,4 4,0 5,6"},
    {'X', "0,0 5,6;0,6 5,0"},
    {'Y', "0,6 2,3;5,6 2,3 2,0"},
    {'Z', "0,6 5,6 0,0 5,0"},
    {'[', "3,6 1,6 1,0 3,0"},
    {'\\', "0,6 5,0"},
    {']', "2,6 4,6 4,0 2,0"},
    {'^', "0,4 2,6 4,4"},
    {'_', "0,0 5,0"},
    {'`', "1,6 3,4"},
    {'a', "1,4 4,4 5,3 5,0 1,0 0,1 1,2 5,2"},
    {'b', "0,6 0,0 4,0 5,1 5,3 4,4 0,4"},
    {'c', "5,4 1,4 0,3 0,1 1,0 5,0"},
    {'d', "5,6 5,0 1,0 0,1 0,3 1,4 5,4"},
    {'e', "0,2 5,2 5,3 4,4 1,4 0,3 0,1 1,0 5,0"},
    {'f', "5,6 3,6 2,5 2,0;0,3 4,3"},
    {'g', "5,1 1,1 0,2 0,3 1,4 5,4 5,0 0,0"},
    {'h', "0,6 0,0;0,4 4,4 5,3 5,0"},
    {'i', "2,4 2,0;2,5 2,6"},
    {'j', "3,4 3,1 2,0 1,0;3,5 3,6"},
    {'k', "0,0 0,6;5,4 0,1;2,2 5,0"},
    {'l', "1,6 2,6 2,1 3,0"},
    {'m', "0,0 0,4;0,3 1,4 2,4 2,0;2,3 3,4 4,4 5,3 5,0"},
    {'n', "0,0 0,4;0,3 1,4 4,4 5,3 5,0"},
    {'o', "1,0 4,0 5,1 5,3 4,4 1,4 0,3 0,1 1,0"},
    {'p', "0,0 0,4 4,4 5,3 5,2 4,1 0,1"},
    {'q', "5,0 5,4 1,4 0,3 0,2 1,1 5,1"},
    {'r', "0,0 0,4;0,3 1,4 4,4 5,3"},
    {'s', "5,4 1,4 0,3 1,2 4,2 5,1 4,0 0,0"},
    {'t', "2,6 2,1 3,0 4,0;0,4 4,4"},
    {'u', "0,4 0,1 1,0 4,0 5,1;5,4 5,0"},
    {'v', "0,4 2,0 3,0 5,4"},
    {'w', "0,4 1,0 2,2 3,2 4,0 5,4"},
    {'x', "0,0 5,4;0,4 5,0"},
    {'y', "0,4 0,2 1,1 5,1;5,4 5,1 4,0 0,0"},
    {'z', "0,4 5,4 0,0 5,0"},
    {'{', "3,6 2,5 2,4 1,3 2,2 2,1 3,0"},
    {'|', "2,6 2,0"},
    {'}', "2,6 3,5 3,4 4,3 3,2 3,1 2,0"},
    {'~', "0,3 1,4 2,4 3,3 4,3 5,4"},
};

VectorFont MakeBuiltIn() {
    VectorFont f;
    f.glyphs[' '].present = true;
    for (const GlyphDef& d : kGlyphs) {
        Glyph& g = f.glyphs[uint8_t(d.code)];
        g.present = true;
        g.strokes.emplace_back();
        for (const char* p = d.strokes; *p;) {
            if (*p == ';') {
                g.strokes.emplace_back();
                ++p;
            } else if (*p == ' ') {
                ++p;
            } else {
                // "x,y": single digits
                g.strokes.back().push_back({int8_t(p[0] - '0'), int8_t(p[2] - '0')});
                p += 3;
            }
        }
    }
    return f;
}

std::unique_ptr<VectorFont>& Loaded() {
    static std::unique_ptr<VectorFont> f;
    return f;
}

bool InGrid(long x, long y) { return x >= 0 && x <= kGlyphWidth && y >= 0 && y <= kGlyphHeight; }

}  // namespace

const VectorFont& BuiltInFont() {
    static const VectorFont f = MakeBuiltIn();
    return f;
}

const VectorFont& CurrentFont() { return Loaded() ? *Loaded() : BuiltInFont(); }

const Glyph& GlyphFor(uint8_t code) {
    const Glyph& g = CurrentFont().glyphs[code];
    return g.present ? g : BuiltInFont().glyphs[code];
}

bool ParseTvf(const std::string& text, VectorFont& out) {
    std::istringstream in(text);
    std::string line;
    VectorFont f;
    Glyph* g = nullptr;
    bool header = false;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (!header) {
            if (line != "TVF1") return false;
            header = true;
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string op;
        long a = 0, b = 0;
        std::string rest;
        if (!(fields >> op >> a >> b) || (fields >> rest)) return false;
        if (op == "G") {
            if (a < 32 || a > 255 || b != kGlyphAdvance || f.glyphs[size_t(a)].present) return false;
            g = &f.glyphs[size_t(a)];
            g->present = true;
        } else if (op == "M" || op == "L") {
            if (!g || !InGrid(a, b)) return false;
            if (op == "M") {
                g->strokes.emplace_back();
            } else if (g->strokes.empty()) {
                return false;  // a line needs a start point
            }
            g->strokes.back().push_back({int8_t(a), int8_t(b)});
        } else {
            return false;
        }
    }
    if (!header) return false;
    out = std::move(f);
    return true;
}

bool LoadFontFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    auto f = std::make_unique<VectorFont>();
    if (!ReadWholeFile(path, bytes, size_t(1) << 20) ||
        !ParseTvf(std::string(bytes.begin(), bytes.end()), *f)) {
        Loaded().reset();
        return false;
    }
    Loaded() = std::move(f);
    return true;
}

void UseBuiltInFont() { Loaded().reset(); }

std::string BuiltInFontText() {
    std::string s =
        "TVF1\n"
        "# Built-in stroke font. Glyph grid: x 0..5, y 0..6 (y up), advance 6.\n"
        "# G <code> <advance> starts a glyph; M x y moves the pen, L x y draws to the point.\n";
    const VectorFont& f = BuiltInFont();
    for (int c = 33; c < 256; ++c) {
        const Glyph& g = f.glyphs[size_t(c)];
        if (!g.present) continue;
        s += "G " + std::to_string(c) + " " + std::to_string(kGlyphAdvance) + "\n";
        for (const GlyphStroke& st : g.strokes)
            for (size_t i = 0; i < st.size(); ++i)
                s += std::string(i ? "L " : "M ") + std::to_string(st[i].x) + " " + std::to_string(st[i].y) +
                     "\n";
    }
    return s;
}

}  // namespace tolvi::kernel
