#include "platform/qt/font_catalogue.h"

#include <QApplication>
#include <QFontDatabase>
#include <cctype>
#include <cstdlib>
#include <string>

namespace tolvi::platform {

namespace {
struct LocaleParts {
    std::string language, territory;
};

LocaleParts Split(std::string_view locale) {
    auto cut = locale.find_first_of(".@");
    if (cut != std::string_view::npos) locale = locale.substr(0, cut);
    LocaleParts p;
    auto us = locale.find_first_of("_-");
    p.language = std::string(locale.substr(0, us));
    if (us != std::string_view::npos) p.territory = std::string(locale.substr(us + 1));
    for (char& c : p.language) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : p.territory) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return p;
}

struct Language {
    const char* code;
    int primary;  // primary language id
    int charset;
};

constexpr Language kLanguages[] = {
    {"ar", 0x01, 178}, {"bg", 0x02, 204}, {"ca", 0x03, 0},   {"zh", 0x04, 134}, {"cs", 0x05, 238},
    {"da", 0x06, 0},   {"de", 0x07, 0},   {"el", 0x08, 161}, {"en", 0x09, 0},   {"es", 0x0A, 0},
    {"fi", 0x0B, 0},   {"fr", 0x0C, 0},   {"he", 0x0D, 177}, {"hu", 0x0E, 238}, {"is", 0x0F, 0},
    {"it", 0x10, 0},   {"ja", 0x11, 128}, {"ko", 0x12, 129}, {"nl", 0x13, 0},   {"nb", 0x14, 0},
    {"no", 0x14, 0},   {"nn", 0x14, 0},   {"pl", 0x15, 238}, {"pt", 0x16, 0},   {"ro", 0x18, 238},
    {"ru", 0x19, 204}, {"hr", 0x1A, 238}, {"sr", 0x1A, 204}, {"sk", 0x1B, 238}, {"sq", 0x1C, 238},
    {"sv", 0x1D, 0},   {"th", 0x1E, 222}, {"tr", 0x1F, 162}, {"id", 0x21, 0},   {"uk", 0x22, 204},
    {"be", 0x23, 204}, {"sl", 0x24, 238}, {"et", 0x25, 186}, {"lv", 0x26, 186}, {"lt", 0x27, 186},
    {"mk", 0x2F, 204}, {"iw", 0x0D, 177},
};

const Language* Find(const std::string& code) {
    for (const Language& l : kLanguages)
        if (code == l.code) return &l;
    return nullptr;
}

bool TraditionalChinese(const std::string& territory) {
    return territory == "TW" || territory == "HK" || territory == "MO";
}

// The Chinese locale ids by territory: each has its own sublanguage, and only Taiwan (1) and the
// PRC (2) choose a face of their own.
int ChineseLocaleId(const std::string& territory) {
    if (territory == "TW") return 0x0404;
    if (territory == "HK") return 0x0C04;
    if (territory == "SG") return 0x1004;
    if (territory == "MO") return 0x1404;
    return 0x0804;
}
}  // namespace

int LocaleIdFromName(std::string_view locale) {
    const LocaleParts p = Split(locale);
    if (p.language == "zh") return ChineseLocaleId(p.territory);
    const Language* l = Find(p.language);
    return l ? (0x0400 | l->primary) : 0x0409;
}

int CharsetFromName(std::string_view locale) {
    const LocaleParts p = Split(locale);
    if (p.language == "zh") return TraditionalChinese(p.territory) ? 136 : 134;
    const Language* l = Find(p.language);
    return l ? l->charset : 0;
}

std::string_view EnvironmentLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* v = std::getenv(name); v && *v) return v;
    return "C";
}

int QtFontCatalogue::SystemLocaleId() const { return LocaleIdFromName(EnvironmentLocale()); }
int QtFontCatalogue::UserCharset() const { return CharsetFromName(EnvironmentLocale()); }

std::vector<std::string> QtFontCatalogue::Families() const {
    std::vector<std::string> out;
    for (const QString& f : QFontDatabase::families()) out.push_back(f.toStdString());
    return out;
}

std::string QtFontCatalogue::DefaultFace() const {
    QString face = QApplication::font().family();
    if (face.isEmpty()) face = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    return face.toStdString();
}

}  // namespace tolvi::platform
