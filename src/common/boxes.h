#pragma once
// Short questions in system-modal message boxes, and the input box that asks for one line of
// text. The texts are built by the callers (GetLocalString) and shown as given.
#include <cstdint>
#include <string>

#include "platform/screen.h"

namespace tolvi {

// The input box's answer, set by its buttons and taken (and emptied) by InputBoxEx.
inline std::string gInputText;

void ResetBoxesState();

// Yes/No question titled "Tolvi32"; true for Yes.
bool AskYesNoTitled(const std::string& Prompt);
// Yes/No question titled gMsgTitle; true for Yes.
bool AskYesNo(const std::string& Text);
// Yes/No/Cancel question titled gMsgTitle; the button code: 6 Yes, 7 No, 2 Cancel (also for Esc
// and the close box).
int32_t AskQuestion(const std::string& Text);
// "Yes" or "No " (same width in a table column).
std::string YesNoText(int32_t Flag);

// Asks for a line of text in the input box (form QuvInpBG); Header, when not blank, stands above
// Prompt. Returns the text without its end blanks; "" when it was cancelled or left blank.
std::string InputBoxEx(const std::string& Prompt, const std::string& Header, const std::string& Default);

// Where the input box's frame goes on screen (the part of it windows may take): centred while a
// setup dialog is open, otherwise at the corner of the main window's frame, moved only as far as
// needed to stay on the screen.
platform::Rect PlaceInputBox(const platform::Rect& screen, int mainLeft, int mainTop, int boxWidth,
                             int boxHeight, int32_t modalDepth);

}  // namespace tolvi
