#pragma once
// Helpers shared by the option-set loaders and writers: taking a parsed field into a number, and
// the settings-file form of a list of numbers.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/numbers.h"
#include "common/settings_access.h"

namespace tolvi {

// The database tables are byte images of the records in memory, little-endian.
static_assert(std::endian::native == std::endian::little,
              "settings tables are copied as little-endian images");

// Number of fields of the last ParseList.
inline std::size_t FieldCount() { return gTokStr.size() - 1; }

// Field i (from 1) of the last ParseList, rounded half to even into out. A field the value does
// not have, or a number that does not fit, leaves out as it was; false then.
inline bool TakeField(std::size_t i, int32_t& out) {
    if (i < 1 || i > FieldCount()) return false;
    int32_t v;
    if (!RoundHalfEven(static_cast<double>(gTokNum[i]), v)) return false;
    out = v;
    return true;
}

// Numbers in the settings-file form, joined by single commas: " 12700, 25400,-100".
template <typename It>
std::string JoinNumbers(It first, It last) {
    std::string s;
    for (It it = first; it != last; ++it) {
        if (it != first) s += ',';
        s += IniNumText(static_cast<double>(*it));
    }
    return s;
}

}  // namespace tolvi
