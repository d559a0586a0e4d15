#include "platform/ui_font.h"

namespace tolvi::platform {

namespace {
// Without a system to ask: English, western character set, no fonts known.
class DefaultCatalogue : public FontCatalogue {
public:
    int SystemLocaleId() const override { return 0x0409; }
    int UserCharset() const override { return 0; }
    std::vector<std::string> Families() const override { return {}; }
    std::string DefaultFace() const override { return {}; }
};

DefaultCatalogue& fallback() {
    static DefaultCatalogue c;
    return c;
}
FontCatalogue* installed = nullptr;
}  // namespace

FontCatalogue& fontCatalogue() { return installed ? *installed : fallback(); }
void SetFontCatalogue(FontCatalogue* catalogue) { installed = catalogue; }

}  // namespace tolvi::platform
