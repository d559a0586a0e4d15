#pragma once
// Localised texts and the interface font. Every text shown to the user is written as an English
// default with a numeric message id; GetLocalString turns the pair into the text to show, and
// LocalizeForm prepares a form (its captions and the interface font of all its controls).
#include <cstdint>
#include <string>

class QWidget;

namespace tolvi {

// The interface font, chosen once at start-up by SelectUiFont. The face is UTF-8, unlike the
// program's other texts: the East Asian faces have no spelling in the single-byte code page.
inline std::string gUiFont;
inline int16_t gUiFontSize = 0;
inline int16_t gUiCharset = 0;  // Windows character-set code (0 ANSI, 128 Shift-JIS, 136 Big5, ...)

void ResetLocalisationState();

// Dir: the program directory on entry, the path of the local texts table on return (found
// regardless of the case of its name). A missing table is not reported: every text then keeps
// its default.
void OpenLocalTexts(std::string& Dir);
void CloseLocalTexts();

// The text of message Id (decimal) with the leading and trailing blanks of Default, or Default
// unchanged when the id has no text.
std::string GetLocalString(const std::string& Default, const std::string& Id);

// Localises the captions of Frm and of every control carrying a "tag" property (the message id
// of its caption), and gives every control the interface font, not bold.
void LocalizeForm(QWidget* Frm);

// Chooses gUiFont, gUiFontSize and gUiCharset from the system locale and the installed fonts.
// Chinese locales other than Taiwan and the PRC, and Korean ones other than the first two, get no
// face (and Chinese no size); the forms then keep the application's own font.
void SelectUiFont();
// Character set of the user's locale, 0 when it cannot be told.
int16_t GetUserCharset();
// True when a font family of that name is installed (compared without regard to case); Name
// then holds the family's own spelling.
bool FontExists(std::string& Name);
int32_t PrimaryLangId(int32_t Lcid);
int32_t SubLangId(int32_t Lcid);

}  // namespace tolvi
