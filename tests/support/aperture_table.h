#pragma once
// The aperture table as a test sets it up: rows of the given sizes (D-codes 0) after the unused
// row 0.
#include <cstdint>
#include <initializer_list>

#include "common/aperture_tables.h"

namespace tolvi::test {

inline void SetApertureSizes(std::initializer_list<int32_t> sizes) {
    gApertures.assign(1, AptRec{});
    for (int32_t s : sizes) {
        AptRec r;
        r.Size = s;
        gApertures.push_back(r);
    }
}

}  // namespace tolvi::test
