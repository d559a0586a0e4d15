#pragma once
// Number helpers shared by every settings loader and writer: rounding to integers, and the two
// text forms numbers are written in.
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvi {

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// False when v is not a number or the result does not fit; out is then 0.
bool RoundHalfEven(double v, int32_t& out);
bool RoundHalfEven(double v, int16_t& out);
bool RoundHalfEven(double v, int64_t& out);

// The settings-file form of a number: one blank before a non-negative number (zero included), a
// minus before a negative one, the shortest decimal text that reads back to the same double, and
// no zero before the point: " 25400", "-100", " .5", "-.5". Magnitudes from 1E+15 on and below
// 1E-05 take the exponent form " 1E+15", "-2.5E-07". A value that is not finite gives " 0".
std::string IniNumText(double v);
// The same without the leading blank of a non-negative number: "25400", "-100", ".5".
std::string PlainNumText(double v);
// Single-precision values are written with at most 7 significant digits, and switch to the
// exponent form from 1E+07 on: 16777217 stored as a single gives " 1.677722E+07".
std::string IniSingleText(float v);
std::string PlainSingleText(float v);

// The two readings of the number at the start of a text. Both read an optional sign, decimal
// digits with at most one point and an optional exponent (E or D), and stop at the first
// character that cannot continue the number; no digits, or a value out of range, give 0. Neither
// takes a decimal comma ("2,5" is 2).
//
// Blanks, tabs and line feeds anywhere are not there (" 1 2" is 12, "- 7" is -7), and "&H" /
// "&O" read the rest as a hexadecimal or octal integer: the list parser's fields, the bus and wire
// widths and the aperture tables are read this way.
double NumberIgnoringBlanks(std::string_view text);
// Leading blanks are skipped and a blank after them ends the number like any other character
// (" 1 2" is 1, "- 7" is 0): message ids, the backup settings and the in-house switch are read
// this way.
double NumberStoppingAtBlank(std::string_view text);

}  // namespace tolvi
