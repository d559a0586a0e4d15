#include "common/localisation.h"

#include <cstddef>

#include "common/numbers.h"
#include "common/utilities.h"
#include "platform/local_texts.h"
#include "platform/paths.h"
#include "platform/ui_font.h"

namespace tolvi {

namespace {

std::size_t LeadingBlanks(const std::string& s) {
    const std::size_t b = s.find_first_not_of(' ');
    return b == std::string::npos ? s.size() : b;
}

std::size_t TrailingBlanks(const std::string& s) {
    const std::size_t e = s.find_last_not_of(' ');
    return e == std::string::npos ? s.size() : s.size() - 1 - e;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

struct LocalStringHook : platform::CaptionHook {
    std::string Localise(const std::string& caption, const std::string& tag) override {
        return GetLocalString(caption, tag);
    }
};

}  // namespace

void ResetLocalisationState() {
    gUiFont.clear();
    gUiFontSize = 0;
    gUiCharset = 0;
}

void OpenLocalTexts(std::string& Dir) {
    Dir = Trim(platform::ResolveFixedName(Trim(Dir), "QUVLOCAL32.TXT"));
    L32_Object_Create(Dir.c_str());
}

void CloseLocalTexts() { L32_Object_Delete(); }

std::string GetLocalString(const std::string& Default, const std::string& Id) {
    int32_t id = 0;
    if (!RoundHalfEven(NumberStoppingAtBlank(Id), id)) id = 0;  // an id out of range has no text
    const char* text = L32_Object_GetMessage(id);
    if (text == nullptr) return Default;
    // The pieces of a message are joined by the blanks of the defaults, so those blanks stay
    // whatever the translation has at its ends.
    const std::size_t lead = LeadingBlanks(Default);
    const std::size_t trail = TrailingBlanks(Default);  // both equal the length for an all-blank default
    return std::string(lead, ' ') + Trim(CStrFromPtr(text)) + std::string(trail, ' ');
}

void LocalizeForm(QWidget* Frm) {
    if (Frm == nullptr) return;
    LocalStringHook hook;
    platform::LocaliseWidgetTree(Frm, gUiFont, gUiFontSize, gUiCharset, hook);
}

void SelectUiFont() {
    const int32_t lcid = platform::fontCatalogue().SystemLocaleId() & 0xFFFF;
    const int32_t primary = PrimaryLangId(lcid);
    const int32_t sub = SubLangId(lcid);
    std::string face;
    int16_t size = 0;
    int16_t charset = 0;
    if (primary == 4) {  // Chinese
        if (sub == 1) {
            face = "\xE6\x96\xB0\xE7\xB4\xB0\xE6\x98\x8E\xE9\xAB\x94";  // U+65B0 U+7D30 U+660E U+9AD4
            size = 9;
            charset = 136;
        } else if (sub == 2) {
            face = "\xE5\xAE\x8B\xE4\xBD\x93";  // U+5B8B U+4F53
            size = 9;
            charset = 134;
        }
    } else if (primary == 17) {  // Japanese
        // U+FF2D U+FF33 U+0020 U+FF30 U+30B4 U+30B7 U+30C3 U+30AF
        face = "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";
        size = 9;
        charset = 128;
    } else if (primary == 18) {                                       // Korean
        if (sub == 1 || sub == 2) face = "\xEA\xB5\xB4\xEB\xA6\xBC";  // U+AD74 U+B9BC
        size = 9;
        charset = 129;
    } else {
        size = 8;
        charset = GetUserCharset();
        bool found = false;
        for (const char* candidate : {"MS Sans Serif", "Arial", "System"}) {
            std::string name = candidate;
            if (FontExists(name)) {
                face = name;
                found = true;
                break;
            }
        }
        if (!found) face = platform::fontCatalogue().DefaultFace();
    }
    gUiFont = face;
    gUiFontSize = size;
    gUiCharset = charset;
}

int16_t GetUserCharset() {
    const int charset = platform::fontCatalogue().UserCharset();
    return (charset < 0 || charset > 255) ? int16_t{0} : static_cast<int16_t>(charset);
}

bool FontExists(std::string& Name) {
    // fontconfig answers every name with some substitute, so a face counts as present only when
    // the font database lists it.
    for (const std::string& family : platform::fontCatalogue().Families()) {
        if (SameIgnoringCase(family, Name)) {
            Name = family;
            return true;
        }
    }
    return false;
}

int32_t PrimaryLangId(int32_t Lcid) { return Lcid & 0x3FF; }
int32_t SubLangId(int32_t Lcid) { return (Lcid >> 10) & 0x3F; }

}  // namespace tolvi
