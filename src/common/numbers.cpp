#include "common/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tolvi {

namespace {

template <typename Int>
bool RoundTo(double v, Int& out) {
    out = 0;
    if (std::isnan(v)) return false;
    double r = std::floor(v);
    const double diff = v - r;  // exact for every double
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
    // Both bounds are exact doubles for 16 and 32 bits; for 64 bits the upper one is 2^63.
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r >= -static_cast<double>(std::numeric_limits<Int>::min()))
        return false;
    out = static_cast<Int>(r);
    return true;
}

// digits: significant digits without leading or trailing zeros; exp: decimal exponent of the
// first digit. Builds the fixed or the exponent form, without any sign.
std::string Compose(const std::string& digits, int exp, bool exponentForm) {
    std::string s;
    if (exponentForm) {
        s += digits[0];
        if (digits.size() > 1) s += '.' + digits.substr(1);
        s += exp < 0 ? "E-" : "E+";
        const int a = exp < 0 ? -exp : exp;
        if (a < 10) s += '0';
        s += std::to_string(a);
    } else if (exp >= 0) {
        const std::size_t intLen = static_cast<std::size_t>(exp) + 1;
        if (digits.size() <= intLen) {
            s = digits + std::string(intLen - digits.size(), '0');
        } else {
            s = digits.substr(0, intLen) + '.' + digits.substr(intLen);
        }
    } else {
        // No zero before the point: .5, .0025
        s = '.' + std::string(static_cast<std::size_t>(-exp - 1), '0') + digits;
    }
    return s;
}

// Splits the scientific text of to_chars ("1.5e+20", "-2e-07") into digits and exponent.
void SplitScientific(const char* first, const char* last, std::string& digits, int& exp) {
    digits.clear();
    const char* p = first;
    if (p != last && *p == '-') ++p;
    for (; p != last && *p != 'e'; ++p)
        if (*p != '.') digits += *p;
    exp = 0;
    if (p != last) {
        ++p;
        const char* q = p;
        if (q != last && *q == '+') ++q;
        std::from_chars(q, last, exp);
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

std::string Format(double v, bool single, bool leadingBlank) {
    if (!std::isfinite(v) || v == 0.0) return leadingBlank ? " 0" : "0";
    char buf[64];
    std::to_chars_result r;
    if (single) {
        r = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v), std::chars_format::scientific, 6);
    } else {
        r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    }
    std::string digits;
    int exp = 0;
    SplitScientific(buf, r.ptr, digits, exp);
    const bool exponentForm = exp < -5 || exp >= (single ? 7 : 15);
    std::string s = Compose(digits, exp, exponentForm);
    if (v < 0) return '-' + s;
    return leadingBlank ? ' ' + s : s;
}

}  // namespace

bool RoundHalfEven(double v, int32_t& out) { return RoundTo(v, out); }
bool RoundHalfEven(double v, int16_t& out) { return RoundTo(v, out); }
bool RoundHalfEven(double v, int64_t& out) { return RoundTo(v, out); }

std::string IniNumText(double v) { return Format(v, false, true); }
std::string PlainNumText(double v) { return Format(v, false, false); }
std::string IniSingleText(float v) { return Format(v, true, true); }
std::string PlainSingleText(float v) { return Format(v, true, false); }

namespace {

// The decimal number at i: an optional sign, digits with at most one point, an optional exponent
// (E or D); reading stops at the first character that cannot continue it. No digits, or a value
// out of range, give 0.
double DecimalAt(std::string_view text, std::size_t i) {
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string num;  // digits, point and exponent in the form from_chars reads
    bool anyDigit = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        num += text[i++];
        anyDigit = true;
    }
    if (i < text.size() && text[i] == '.') {
        num += text[i++];
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            num += text[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0.0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t j = i + 1;
        std::string e = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) e += text[j++];
        bool expDigit = false;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            e += text[j++];
            expDigit = true;
        }
        if (expDigit) num += e;
    }
    double value = 0.0;
    const auto r = std::from_chars(num.data(), num.data() + num.size(), value, std::chars_format::general);
    if (r.ec != std::errc()) return 0.0;  // out of range
    return negative ? -value : value;
}

// The digits of radix from i on, up to the first character that is none; more than 32 bits is
// an overflow, read as 0.
double RadixAt(std::string_view s, std::size_t i, int radix) {
    uint64_t value = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            break;
        if (d >= radix) break;
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFu) return 0.0;
    }
    return static_cast<double>(value);
}

}  // namespace

double NumberIgnoringBlanks(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s += c;
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return RadixAt(s, 2, 16);
        if (s[1] == 'O' || s[1] == 'o') return RadixAt(s, 2, 8);
    }
    return DecimalAt(s, 0);
}

double NumberStoppingAtBlank(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return DecimalAt(text, i);
}

}  // namespace tolvi
