#include "common/boxes.h"

#include <QLabel>
#include <QLineEdit>
#include <memory>

#include "common/quvinpbg.h"
#include "common/utilities.h"
#include "platform/qt/codec.h"
#include "platform/ui.h"

namespace tolvi {

namespace {
constexpr int kStyleYesNo = 4132;        // Yes, No, question icon, system modal
constexpr int kStyleYesNoCancel = 4131;  // Yes, No, Cancel, question icon, system modal
}  // namespace

void ResetBoxesState() { gInputText.clear(); }

bool AskYesNoTitled(const std::string& Prompt) {
    return platform::ui().MsgBox(Prompt, kStyleYesNo, "Tolvi32") == platform::kAnswerYes;
}

bool AskYesNo(const std::string& Text) {
    return platform::ui().MsgBox(Text, kStyleYesNo, gMsgTitle) == platform::kAnswerYes;
}

int32_t AskQuestion(const std::string& Text) {
    return platform::ui().MsgBox(Text, kStyleYesNoCancel, gMsgTitle);
}

std::string YesNoText(int32_t Flag) { return Flag != 0 ? "Yes" : "No "; }

std::string InputBoxEx(const std::string& Prompt, const std::string& Header, const std::string& Default) {
    auto box = std::make_unique<QuvInpBG>();
    const std::string label = Trim(Header).empty() ? Prompt : Header + "\r\n" + Prompt;
    box->InpPrompt->setText(platform::ToQString(label));
    box->InpText->setText(platform::ToQString(Default));
    box->InpText->setSelection(0, int(box->InpText->text().size()));
    platform::ui().Beep();
    platform::ui().ShowModal(box.get());
    std::string taken;
    taken.swap(gInputText);
    return taken.empty() ? std::string() : Trim(taken);
}

platform::Rect PlaceInputBox(const platform::Rect& screen, int mainLeft, int mainTop, int boxWidth,
                             int boxHeight, int32_t modalDepth) {
    platform::Rect r{mainLeft, mainTop, boxWidth, boxHeight};
    if (modalDepth != 0) r = platform::CentredOnScreen()(r, platform::ScreenArea{screen, screen});
    return platform::MovedInside(r, screen);
}

}  // namespace tolvi
