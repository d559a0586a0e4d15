// The list parser on arbitrary bytes: it must always end, give at least one field, keep its two
// arrays in step, and never read or convert out of range. A field's number is the field's own
// value in single precision; one beyond the single range is an infinity of its sign, as the
// loaders rely on, and never anything else that is not a number.
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/settings_access.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tolvi::ParseList(text);
    const std::size_t n = tolvi::gTokStr.size() - 1;
    if (n < 1 || tolvi::gTokNum.size() != n + 1 || tolvi::gTokNum[0] != static_cast<float>(n) ||
        !tolvi::gTokStr[0].empty())
        std::abort();
    std::size_t chars = 0;
    for (std::size_t i = 1; i <= n; ++i) {
        const float num = tolvi::gTokNum[i];
        const double value = tolvi::ParseNumber(tolvi::gTokStr[i]);
        if (!std::isfinite(value)) std::abort();
        if (std::isinf(num)) {
            if (!(std::fabs(value) > FLT_MAX) || (num > 0) != (value > 0)) std::abort();
        } else if (num != static_cast<float>(value)) {
            std::abort();  // NaN included
        }
        chars += tolvi::gTokStr[i].size();
    }
    // Fields never hold more than the text did.
    if (chars > size) std::abort();
    const double v = tolvi::ParseNumber(text);
    if (!std::isfinite(v)) std::abort();
    return 0;
}
