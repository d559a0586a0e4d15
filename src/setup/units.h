#pragma once
// How the setup dialogs take and show numbers: typed lengths converted to database units and
// tested in single precision, then rounded half to even; numbers shown through the dialogs' fixed
// display patterns.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvi {

// Database units (10 nm) per millimetre.
constexpr double kUnitsPerMM = 100000.0;
// The inch factor, held in single precision as the conversions have always used it: 1 inch
// converts to exactly 2540000 units and 5 inches to exactly 12700000.
constexpr float kInchFactor = float(1.0 / 25.4);

// v held in single precision; beyond the single range infinite (and so outside every range).
float ToSingle(double v);
// number / factor * 100000, computed in double and held in single precision.
float ToDbUnits(double number, float factor);
// v rounded half to even when lo <= v <= hi (tested on the single-precision value); nullopt
// otherwise, and when the rounded value does not fit 32 bits.
std::optional<int32_t> RoundInRange(float v, double lo, double hi);
// A typed length: ParseNumber(text) converted with ToDbUnits, then RoundInRange.
std::optional<int32_t> TakeLength(const std::string& text, float factor, double lo, double hi);

// A number shown through a display pattern: "0" digits are always shown, "#" digits only when
// needed; the integer part shows at least as many digits as it has "0"s, the fraction as many as
// its "0"s and up to as many more as its "#"s. Halves round away from zero, decided on the
// number's 15-digit decimal form, so 2.675 shows as 2.68. "#0.0000": 0.2 -> "0.2000";
// "##.0": 0.5 -> ".5"; "###": 0 -> "", 12.5 -> "13"; "#0.0000#": 0.00254 -> "0.00254".
std::string FormatNumber(double value, std::string_view pattern, char decimalPoint = '.');

// Database units shown in millimetres or in inches (through the single-precision inch factor).
std::string MmText(int32_t units, std::string_view pattern, char decimalPoint);
std::string InchText(int32_t units, std::string_view pattern, char decimalPoint);

// The D-code cell of a size: the line D-code of the current aperture table's row of exactly that
// size, blanks when the table has none.
std::string LineDcodeCell(int32_t size);

}  // namespace tolvi
