#include "common/packaging.h"

#include <span>
#include <string>

#include "common/numbers.h"
#include "common/settings_access.h"

namespace tolvi {

namespace {

const char* const kSection = "PACKAGING";

struct PrefKey {
    const char* key;
    const char* def;
    std::span<int32_t> values;  // elements 1..n
};

std::array<PrefKey, 3> Keys() {
    return {{{"PREFCOMPNAME", "1,0,1,0", std::span<int32_t>(gPrefCompName).subspan(1)},
             {"PREFPINOUT", "1,1,0,1,0,0", std::span<int32_t>(gPrefPinout).subspan(1)},
             {"PREFDESCRIPTION", "1,0,1,0,1,0,0,0,1,0", std::span<int32_t>(gPrefDescription).subspan(1)}}};
}

}  // namespace

void ResetPackagingState() {
    gPrefCompName.fill(0);
    gPrefPinout.fill(0);
    gPrefDescription.fill(0);
}

void LoadPackagingPrefs() {
    for (const PrefKey& p : Keys()) {
        std::string value;
        IniGetString(kSection, p.key, p.def, value);
        ParseList(value);
        const std::size_t fields = static_cast<std::size_t>(gTokNum[0]);
        for (std::size_t k = 1; k <= p.values.size() && k <= fields; ++k) {
            int32_t v = 0;
            if (RoundHalfEven(static_cast<double>(gTokNum[k]), v)) p.values[k - 1] = v;
        }
    }
}

void SavePackagingPrefs() {
    for (const PrefKey& p : Keys()) {
        std::string text;
        for (std::size_t k = 0; k < p.values.size(); ++k) {
            if (k) text += ",";
            text += IniNumText(p.values[k]);
        }
        int err = 0;  // reported by the settings layer; the next key is written all the same
        IniPutString(kSection, p.key, text, err);
    }
}

}  // namespace tolvi
