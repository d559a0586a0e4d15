// The stroke font that G_Text draws with and G_GetTextSize measures.
//
// Metrics: every glyph is designed on a grid 6 units tall (y 0..6, baseline and descenders
// inside the box) and 5 units wide (x 0..5), with an advance of 6 units, so a text of n > 0
// characters spans (6n - 1) x 6 units. A text's width and height factors scale one unit in X
// and Y: a text of height h has factors h / 6.
//
// The font file QUV32VFONT.TVF is plain text ("TVF1"):
//   TVF1                  first line, exactly
//   # ...                 comment; blank lines are skipped too
//   G <code> <advance>    starts the glyph of character code 32..255; advance must be 6
//   M <x> <y>             moves the pen (starts a stroke) within the glyph
//   L <x> <y>             draws a straight stroke to the point
// Coordinates are integers on the grid above (x 0..5, y 0..6). Lines may end in CR LF. A file
// that breaks any of these rules is refused as a whole. Characters the file leaves out are
// drawn from the built-in font, which covers the printable ASCII range; other codes advance
// without ink.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvi::kernel {

constexpr int32_t kGlyphAdvance = 6;
constexpr int32_t kGlyphWidth = 5;
constexpr int32_t kGlyphHeight = 6;

struct GlyphPoint {
    int8_t x = 0, y = 0;
};
using GlyphStroke = std::vector<GlyphPoint>;

struct Glyph {
    bool present = false;
    std::vector<GlyphStroke> strokes;
};

struct VectorFont {
    std::array<Glyph, 256> glyphs{};
};

// The built-in font.
const VectorFont& BuiltInFont();
// The font in use: the built-in one until a font file loads.
const VectorFont& CurrentFont();
// The glyph drawn for `code` in the current font (a missing one comes from the built-in font).
const Glyph& GlyphFor(uint8_t code);

// Parses TVF1 text; false (and `out` untouched) when it does not follow the format.
bool ParseTvf(const std::string& text, VectorFont& out);
// Loads a font file; on failure the built-in font is used from then on.
bool LoadFontFile(const std::string& path);
void UseBuiltInFont();
// The built-in font in TVF1 form: the content of the shipped QUV32VFONT.TVF.
std::string BuiltInFontText();

}  // namespace tolvi::kernel
