#include "setup/units.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "common/aperture_tables.h"
#include "common/numbers.h"
#include "common/settings_access.h"

namespace tolvi {

float ToDbUnits(double number, float factor) { return ToSingle(number / double(factor) * kUnitsPerMM); }

float ToSingle(double v) {
    if (std::isnan(v)) return std::numeric_limits<float>::quiet_NaN();
    if (std::fabs(v) > double(std::numeric_limits<float>::max()))
        return v < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    return float(v);
}

std::optional<int32_t> RoundInRange(float v, double lo, double hi) {
    const double d = double(v);
    if (!(d >= lo && d <= hi)) return std::nullopt;
    int32_t out = 0;
    if (!RoundHalfEven(d, out)) return std::nullopt;
    return out;
}

std::optional<int32_t> TakeLength(const std::string& text, float factor, double lo, double hi) {
    return RoundInRange(ToDbUnits(ParseNumber(text), factor), lo, hi);
}

std::string FormatNumber(double value, std::string_view pattern, char decimalPoint) {
    if (!std::isfinite(value)) value = 0.0;
    const std::size_t point = pattern.find('.');
    const std::string_view intPattern = pattern.substr(0, point);
    const std::string_view fracPattern =
        point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);
    std::size_t minInt = 0, minFrac = 0, optFrac = 0;
    for (char c : intPattern) minInt += c == '0';
    for (char c : fracPattern) (c == '0' ? minFrac : optFrac) += (c == '0' || c == '#');
    const std::size_t maxFrac = minFrac + optFrac;

    // The magnitude's 15 significant digits and their decimal exponent.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string digits(1, buf[0]);
    digits.append(buf + 2, 14);
    const int exp = std::atoi(std::strchr(buf, 'e') + 1);
    std::string intDigits, fracDigits;
    if (exp >= 0) {
        const std::size_t n = std::size_t(exp) + 1;
        intDigits = n <= digits.size() ? digits.substr(0, n) : digits + std::string(n - digits.size(), '0');
        fracDigits = n <= digits.size() ? digits.substr(n) : std::string();
    } else {
        fracDigits = std::string(std::size_t(-exp - 1), '0') + digits;
    }

    if (fracDigits.size() > maxFrac) {
        const bool up = fracDigits[maxFrac] >= '5';
        fracDigits.resize(maxFrac);
        if (up) {
            std::string all = intDigits + fracDigits;
            int i = int(all.size()) - 1;
            for (; i >= 0 && all[std::size_t(i)] == '9'; --i) all[std::size_t(i)] = '0';
            if (i >= 0)
                ++all[std::size_t(i)];
            else
                all.insert(all.begin(), '1');
            intDigits = all.substr(0, all.size() - fracDigits.size());
            fracDigits = all.substr(all.size() - fracDigits.size());
        }
    }
    fracDigits.resize(std::max(fracDigits.size(), minFrac), '0');
    while (fracDigits.size() > minFrac && fracDigits.back() == '0') fracDigits.pop_back();
    intDigits.erase(0, intDigits.find_first_not_of('0'));
    if (intDigits.size() < minInt) intDigits.insert(0, minInt - intDigits.size(), '0');

    const bool zero = (intDigits + fracDigits).find_first_not_of('0') == std::string::npos;
    std::string out = value < 0 && !zero ? "-" : "";
    out += intDigits;
    if (point != std::string_view::npos) out += decimalPoint;
    out += fracDigits;
    return out;
}

std::string MmText(int32_t units, std::string_view pattern, char decimalPoint) {
    return FormatNumber(double(units) / kUnitsPerMM, pattern, decimalPoint);
}

std::string InchText(int32_t units, std::string_view pattern, char decimalPoint) {
    return FormatNumber(double(units) / kUnitsPerMM * double(kInchFactor), pattern, decimalPoint);
}

std::string LineDcodeCell(int32_t size) {
    int32_t index = 0, insertPos = 0;
    FindApertureSize(index, size, insertPos);
    return FormatDcodeCell(gApertures[std::size_t(index)].LineDcode);
}

}  // namespace tolvi
