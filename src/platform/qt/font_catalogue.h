#pragma once
// The font catalogue of the running system: the locale from the environment, the families from
// Qt's font database.
#include <string_view>

#include "platform/ui_font.h"

namespace tolvi::platform {

// A POSIX locale name ("ja_JP.UTF-8", "zh_TW", "de_DE@euro", "C") as a Windows-style locale id;
// 0x0409 when the language is unknown.
int LocaleIdFromName(std::string_view locale);
// The Windows character-set code for a POSIX locale name (0 for western and unknown ones).
int CharsetFromName(std::string_view locale);
// The locale name the user set: LC_ALL, else LC_MESSAGES, else LANG.
std::string_view EnvironmentLocale();

class QtFontCatalogue : public FontCatalogue {
public:
    int SystemLocaleId() const override;
    int UserCharset() const override;
    std::vector<std::string> Families() const override;
    std::string DefaultFace() const override;
};

}  // namespace tolvi::platform
