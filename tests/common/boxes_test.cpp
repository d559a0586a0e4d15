#include "common/boxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

#include "common/context_help.h"
#include "common/dialog_state.h"
#include "common/quvinpbg.h"
#include "common/utilities.h"
#include "platform/qt/codec.h"
#include "support/recording_help.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::recordingHelp;
using test::scriptedUi;

QuvInpBG* Box(QWidget* form) { return static_cast<QuvInpBG*>(form); }
std::string Text(const QString& s) { return platform::FromQString(s); }

void Key(QWidget* to, QEvent::Type type, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(type, key, mods);
    QApplication::sendEvent(to, &e);
}

TEST(QuestionBoxes, UseTheirStylesAndTitlesAndPassTheAnswerOn) {
    gMsgTitle = "Open Database";
    struct Case {
        const char* name;
        std::function<int()> ask;
        int answer;
        int result;
        int style;
        const char* title;
    };
    const std::string text = "Save changes?\r\n  (with blanks) ";
    const Case cases[] = {
        {"titled yes", [&] { return AskYesNoTitled(text) ? -1 : 0; }, 6, -1, 4132, "Tolvi32"},
        {"titled no", [&] { return AskYesNoTitled(text) ? -1 : 0; }, 7, 0, 4132, "Tolvi32"},
        {"yes", [&] { return AskYesNo(text) ? -1 : 0; }, 6, -1, 4132, "Open Database"},
        {"no", [&] { return AskYesNo(text) ? -1 : 0; }, 7, 0, 4132, "Open Database"},
        {"question yes", [&] { return AskQuestion(text); }, 6, 6, 4131, "Open Database"},
        {"question no", [&] { return AskQuestion(text); }, 7, 7, 4131, "Open Database"},
        {"question esc", [&] { return AskQuestion(text); }, 2, 2, 4131, "Open Database"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scriptedUi().Reset();
        scriptedUi().QueueAnswer(c.answer);
        EXPECT_EQ(c.ask(), c.result);
        ASSERT_EQ(scriptedUi().boxes.size(), 1u);
        EXPECT_EQ(scriptedUi().boxes[0].text, text);
        EXPECT_EQ(scriptedUi().boxes[0].style, c.style);
        EXPECT_EQ(scriptedUi().boxes[0].title, c.title);
    }
}

TEST(YesNoText, GivesYesOrNoWithATrailingBlank) {
    EXPECT_EQ(YesNoText(0), "No ");
    EXPECT_EQ(YesNoText(-1), "Yes");
    EXPECT_EQ(YesNoText(5), "Yes");
}

TEST(InputBoxEx, PutsTheHeaderAboveThePromptOnlyWhenItIsNotBlank) {
    struct Case {
        std::string header, label;
    };
    const Case cases[] = {
        {"", "Type in name:"},
        {"   ", "Type in name:"},
        {"Layer Label", "Layer Label\r\nType in name:"},
        {" Layer ", " Layer \r\nType in name:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        scriptedUi().Reset();
        std::string label, text, selected;
        scriptedUi().QueueModal("QuvInpBG", [&](QWidget* form) {
            label = Text(Box(form)->InpPrompt->text());
            text = Text(Box(form)->InpText->text());
            selected = Text(Box(form)->InpText->selectedText());
            Box(form)->InpCancel->click();
        });
        EXPECT_EQ(InputBoxEx("Type in name:", c.header, "MAINPAGE"), "");
        EXPECT_EQ(label, c.label);
        EXPECT_EQ(text, "MAINPAGE");
        EXPECT_EQ(selected, "MAINPAGE");
        // The beep comes before the box.
        EXPECT_EQ(scriptedUi().transcript, (std::vector<std::string>{"beep", "modal: QuvInpBG"}));
    }
}

TEST(InputBoxEx, ShowsALongPromptWholeOnSeveralLines) {
    std::string prompt;
    for (int i = 0; i < 12; ++i) prompt += "Type in the name of the layer ";
    int shown = 0, needed = 0, lineHeight = 0;
    scriptedUi().QueueModal("QuvInpBG", [&](QWidget* form) {
        QLabel* label = Box(form)->InpPrompt;
        shown = label->height();
        needed = label->heightForWidth(label->width());
        lineHeight = label->fontMetrics().lineSpacing();
        Box(form)->InpCancel->click();
    });
    InputBoxEx(prompt, "Layer Label", "");
    EXPECT_GT(needed, 3 * lineHeight);
    EXPECT_GE(shown, needed);
}

TEST(InputBoxEx, ReturnsTheAnswerTrimmedAndEmptyForBlankCancelAndClose) {
    struct Case {
        const char* name;
        std::function<void(QuvInpBG*)> act;
        std::string result;
    };
    const Case cases[] = {
        {"typed, Accept",
         [](QuvInpBG* b) {
             b->InpText->insert("  42  ");
             b->InpOK->click();
         },
         "42"},
        {"kept default", [](QuvInpBG* b) { b->InpOK->click(); }, "Old"},
        {"cleared, Accept",
         [](QuvInpBG* b) {
             b->InpText->clear();
             b->InpOK->click();
         },
         ""},
        {"blanks, Accept",
         [](QuvInpBG* b) {
             b->InpText->setText("   ");
             b->InpOK->click();
         },
         ""},
        {"typed, Cancel",
         [](QuvInpBG* b) {
             b->InpText->setText("42");
             b->InpCancel->click();
         },
         ""},
        {"typed, close box",
         [](QuvInpBG* b) {
             b->InpText->setText("42");
             b->close();
         },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scriptedUi().QueueModal("QuvInpBG", [&](QWidget* form) { c.act(Box(form)); });
        EXPECT_EQ(InputBoxEx("Size:", "", "Old"), c.result);
        EXPECT_EQ(gInputText, "");
    }
}

TEST(InputBoxEx, EnterAcceptsFromTheTextBoxAndEscCancels) {
    bool topmost = false, focused = false;
    scriptedUi().QueueModal("QuvInpBG", [&](QWidget* form) {
        QuvInpBG* box = Box(form);
        topmost = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        focused = box->focusWidget() == box->InpText;
        box->InpText->setText(" 2.54 ");
        Key(box->InpText, QEvent::KeyPress, Qt::Key_Return);
    });
    EXPECT_EQ(InputBoxEx("Grid:", "", ""), "2.54");
    EXPECT_TRUE(topmost);
    EXPECT_TRUE(focused);

    scriptedUi().QueueModal("QuvInpBG", [&](QWidget* form) {
        Box(form)->InpText->setText("typed");
        Key(Box(form)->InpText, QEvent::KeyPress, Qt::Key_Escape);
    });
    EXPECT_EQ(InputBoxEx("Grid:", "", ""), "");
}

TEST(InputBoxEx, CtrlF1ShowsTheRecordedTopicAndCtrlShiftF1DoesNothing) {
    gHelpFile = "/prog/tolvi32.HLP";
    gHelpTopic = 1066;
    scriptedUi().QueueModal("QuvInpBG", [&](QWidget* form) {
        Key(Box(form)->InpText, QEvent::KeyRelease, Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_TRUE(recordingHelp().calls.empty());
        Key(Box(form)->InpText, QEvent::KeyRelease, Qt::Key_F1, Qt::ControlModifier);
        EXPECT_TRUE(form->isVisible());
        Box(form)->InpCancel->click();
    });
    InputBoxEx("Name:", "", "");
    ASSERT_FALSE(recordingHelp().calls.empty());
    EXPECT_EQ(recordingHelp().calls[0], "topic: /prog/tolvi32.HLP | 1066");
}

TEST(PlaceInputBox, CentresWhileADialogIsOpenElseKeepsToTheMainWindowOnTheScreen) {
    struct Case {
        const char* name;
        platform::Rect screen;
        int mainLeft, mainTop, width, height;
        int32_t depth;
        int left, top;
    };
    const Case cases[] = {
        {"dialog open", {0, 0, 1024, 768}, 0, 0, 300, 100, 1, 362, 334},
        {"dialog open, box wider than screen", {0, 0, 200, 768}, 0, 0, 300, 100, 2, 0, 334},
        {"main window corner", {0, 0, 1024, 768}, 0, 0, 300, 100, 0, 0, 0},
        {"main window moved", {0, 0, 1024, 768}, 40, 30, 300, 100, 0, 40, 30},
        {"too far right", {0, 0, 1024, 768}, 900, 10, 300, 100, 0, 724, 10},
        {"too far down", {0, 0, 1024, 768}, 10, 700, 300, 100, 0, 10, 668},
        {"second screen", {1024, 0, 800, 600}, 1700, 0, 300, 100, 0, 1524, 0},
        {"main window above and left of the screen", {0, 30, 1024, 738}, -4, -20, 300, 100, 0, 0, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const platform::Rect r = PlaceInputBox(c.screen, c.mainLeft, c.mainTop, c.width, c.height, c.depth);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
    }
}

TEST(InputBoxEx, PlacesTheBoxByTheOpenDialogCountAndTheMainWindow) {
    const platform::Rect screen = platform::PrimaryScreen().whole;
    QWidget mainWindow;
    mainWindow.resize(200, 20);
    mainWindow.show();
    platform::PlaceWindow(&mainWindow, platform::AtScreenPoint(40, 30));
    struct Case {
        int32_t depth;
        QWidget* main;
    };
    for (const Case& c : {Case{0, nullptr}, Case{1, nullptr}, Case{0, &mainWindow}, Case{1, &mainWindow}}) {
        SCOPED_TRACE(c.depth);
        const int32_t depth = c.depth;
        gModalDepth = depth;
        gMainWnd = c.main;
        const int mainLeft = c.main ? platform::WindowRect(c.main).left : screen.left;
        const int mainTop = c.main ? platform::WindowRect(c.main).top : screen.top;
        if (c.main) {
            ASSERT_EQ(mainLeft, screen.left + 40);
        }
        platform::Rect at;
        scriptedUi().QueueModal("QuvInpBG", [&](QWidget* form) {
            at = platform::WindowRect(form);
            Box(form)->InpCancel->click();
        });
        InputBoxEx("Name:", "", "");
        const platform::Rect want = PlaceInputBox(screen, mainLeft, mainTop, at.width, at.height, depth);
        EXPECT_EQ(at.left, want.left);
        EXPECT_EQ(at.top, want.top);
    }
}

}  // namespace
}  // namespace tolvi
