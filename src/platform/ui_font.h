#pragma once
// What the interface font choice needs of the system: the locale as a Windows-style locale id,
// the character set of the user's locale, the installed font families and the default face.
// Injected, so the choice can be tested without installed fonts.
#include <string>
#include <vector>

class QWidget;

namespace tolvi::platform {

class FontCatalogue {
public:
    virtual ~FontCatalogue() = default;
    // Locale id of the system locale (primary language in bits 0..9, sublanguage in 10..15):
    // 0x0409 English (US), 0x0411 Japanese, 0x0404 Chinese (Taiwan), 0x0804 Chinese (PRC), ...
    virtual int SystemLocaleId() const = 0;
    // Windows character-set code of the user's locale (0 when it cannot be told).
    virtual int UserCharset() const = 0;
    // Families the font database lists (UTF-8).
    virtual std::vector<std::string> Families() const = 0;
    // Face name of the system's default interface font (UTF-8).
    virtual std::string DefaultFace() const = 0;
};

FontCatalogue& fontCatalogue();
void SetFontCatalogue(FontCatalogue* catalogue);  // not owned; nullptr restores the default

// Gives every widget and menu action under form the font (face UTF-8, size in points) and, for
// each object whose "tag" property is a non-empty text, replaces its caption (window title,
// text, title of a group box or menu) by caption(old caption, tag). Captions pass as
// single-byte code-page text. A failure on one object is skipped.
struct CaptionHook {
    virtual ~CaptionHook() = default;
    virtual std::string Localise(const std::string& caption, const std::string& tag) = 0;
};
void LocaliseWidgetTree(QWidget* form, const std::string& face, int pointSize, int charset,
                        CaptionHook& hook);

}  // namespace tolvi::platform
