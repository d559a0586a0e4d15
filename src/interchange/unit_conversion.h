#pragma once
// The conversion of a database loaded from an ASCII file of the older form: its lengths are in
// older units (1/1000 inch for the layout, 1/100 mm for a metric layout, 1/500 inch for the
// schematic) and its angles in 1/100 degree. ConvertLoadedDatabase turns every stored length into
// database units of 10 nm and every angle into 1/1000 degree, object by object.
//
// A length is scaled as the older program did it, through single precision: v as a single,
// divided by the old unit count, multiplied by the factor (25.4 as a single, or 1) and by
// 100000 in double, rounded to a single, then to the nearest integer, halves to the even one
// (1 gives 2540, 1000 or 5080; 26421 gives 67109336, not 67109340). A result that does not fit
// 32 bits is an overflow: the value is not stored and the conversion stops, with the box
// "Range Error: " and what was being converted.
#include <cstdint>

#include "kernel/kernel.h"

namespace tolvi {

// One of the three ratios: old unit count and factor (held as a single, as it always was).
struct ScaleRatio {
    int32_t Divisor = 1;
    float Factor = 1.0f;
};
inline constexpr ScaleRatio kRatioImperial{1000, 25.4f};  // layout, 1/1000 inch: x 2540
inline constexpr ScaleRatio kRatioMetric{100, 1.0f};      // layout, 1/100 mm: x 1000
inline constexpr ScaleRatio kRatioSchematic{500, 25.4f};  // schematic, 1/500 inch: x 5080

// Set at the start of each conversion: ratio A for layout data (metric when the current
// hierarchy carries the unit mark 2), ratio B for schematic data.
inline ScaleRatio gRatioA = kRatioImperial;
inline ScaleRatio gRatioB = kRatioSchematic;

// Converts the open database in place, every hierarchy and page, then makes the hierarchy and
// page of gCurHier, gCurPage current again and rebuilds heaps 1..3. False when an overflow
// stopped it; its box has been shown and what was converted before stays converted.
bool ConvertLoadedDatabase();
// The option tables of lengths and angles (grids, snaps, angle snap, airgaps, conductor sizes,
// bus width, text sizes) converted in memory and stored into the open database. False on an
// overflow (no box: the caller shows it).
bool ConvertSystemTables();
// 1/100 degree to 1/1000 degree: rounded to whole degrees (halves to even), 360 added once when
// negative, times 1000 (4550 gives 46000, -9000 gives 270000, -45000 gives -90000). False, a
// unchanged, when the result does not fit.
bool ConvertAngle(int32_t& Angle);
void ClearItemRecord(ItemRec& Item);

// A pair of lengths with ratio A or B. Err 1 on an overflow, and neither value changes. Limit is
// the bound the older program passed; it is not applied.
void ScalePointA(int32_t& Err, int32_t& X, int32_t& Y, int32_t Limit);
void ScalePointB(int32_t& Err, int32_t& X, int32_t& Y, int32_t Limit);
// A text size pair (stored as the text height / 6): scaled as six times the value, then divided
// by 6 in double.
void ScalePointA6(int32_t& Err, int32_t& W, int32_t& H);
void ScalePointB6(int32_t& Err, int32_t& W, int32_t& H);

// The per-kind steps. Each stops at the first overflow with Err 1 (no box).
void RescaleItemArrayA(int32_t& Err, int32_t ItemArray);
void RescaleItemArrayB(int32_t& Err, int32_t ItemArray);
void RescaleJunctions(int32_t& Err, int32_t Page);
void RescaleSchComponents(int32_t& Err, int32_t Page);
void RescaleBranchTexts(int32_t& Err, int32_t Page);
void RescaleBranchPoints(int32_t& Err, int32_t Page);
void RescaleSymbolPads(int32_t& Err, int32_t Symbol);
void RescaleSymbolEntries(int32_t& Err, int32_t Symbol);
void RescalePadStacks(int32_t& Err, int32_t PadStackMap);

}  // namespace tolvi
