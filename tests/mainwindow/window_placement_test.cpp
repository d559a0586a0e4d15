// Every kind of window the program opens, on a small and a large screen: its whole frame lies on
// the part of the screen windows may take, and it is as wide as its caption needs (setup dialogs
// in both scopes, with the scope suffix). The boxes and file dialogs are the real Qt ones; the
// offscreen platform frames windows with a small border, so the frame is not the inside.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <string>
#include <vector>

#include "common/boxes.h"
#include "common/context_help.h"
#include "common/dialog_state.h"
#include "common/general_settings.h"
#include "common/option_scope.h"
#include "common/option_store.h"
#include "common/quvinpbg.h"
#include "common/utilities.h"
#include "interchange/quvlasc.h"
#include "interchange/quvsasc.h"
#include "mainwindow/quvhier.h"
#include "platform/qt/qt_help.h"
#include "platform/qt/qt_ui.h"
#include "platform/screen.h"
#include "setup/setup_dialog.h"
#include "setup/setup_forms.h"
#include "support/modal_answer.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using platform::Rect;
using test::scriptedUi;

Rect FrameOf(const QWidget* w) {
    const QRect f = w->frameGeometry();
    return {f.x(), f.y(), f.width(), f.height()};
}

std::string Text(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

class WindowPlacement : public test::SetupFixture {
protected:
    void TearDown() override {
        platform::OverrideScreen(nullptr);
        platform::SetUi(&scriptedUi());
        platform::SetHelp(nullptr);
        gMainWnd = nullptr;
    }

    // The window's frame lies on the screen's available area; a centred one in its middle.
    void Check(const std::string& what, const QWidget* w, bool centred = false) {
        ASSERT_NE(w, nullptr) << what;
        EXPECT_TRUE(w->isVisible()) << what;
        const Rect f = FrameOf(w);
        const Rect a = platform::AvailableRect();
        EXPECT_NE(f.width, w->width()) << what << ": the window has a frame around its inside";
        EXPECT_TRUE(f.left >= a.left && f.top >= a.top && f.left + f.width <= a.left + a.width &&
                    f.top + f.height <= a.top + a.height)
            << what << ": frame " << Text(f) << " on " << Text(a);
        EXPECT_GE(f.width, platform::CaptionWidth(w))
            << what << ": caption \"" << w->windowTitle().toStdString() << "\" cut";
        if (centred) {
            EXPECT_NEAR(f.left + f.width / 2.0, a.left + a.width / 2.0, 1) << what << ": frame " << Text(f);
            EXPECT_NEAR(f.top + f.height / 2.0, a.top + a.height / 2.0, 1) << what << ": frame " << Text(f);
        }
    }

    // Runs show, which opens a real modal window; the window is checked as it runs, then closed.
    void CheckModal(const std::string& what, const std::function<void()>& show) {
        const test::ModalAnswer answer(what, [&](QWidget* w) {
            Check(what, w, true);
            if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        });
        show();
    }

    // A form shown as the menu shows it; check runs while it is open, then Cancel ends it.
    void CheckForm(const std::string& what, QWidget* form, int32_t suffix,
                   const std::function<void(QWidget*)>& also = nullptr) {
        scriptedUi().QueueModal(form->objectName().toStdString(), [&, what](QWidget* f) {
            Check(what, f, true);
            if (also) also(f);
            if (auto* d = dynamic_cast<SetupDialog*>(f))
                d->F_Cancel->click();
            else
                f->findChild<QPushButton*>("F_Return")->click();
        });
        ShowOptionForm(form, suffix);
        scriptedUi().Verify();
    }

    void CheckInputBox(const std::string& what) {
        scriptedUi().QueueModal("QuvInpBG", [&](QWidget* f) {
            Check(what, f);
            static_cast<QuvInpBG*>(f)->InpCancel_Click();
        });
        InputBoxEx("Name:", "Find Part", "");
    }
};

TEST_F(WindowPlacement, EveryKindOfWindowHasItsWholeFrameOnTheScreen) {
    const platform::ScreenArea screens[] = {
        {{0, 0, 1024, 768}, {0, 0, 1024, 768}},
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},  // a panel along the bottom
    };
    gExportFile = dir.File("out.TPA");
    gExportMode = 1;
    gHelpFile = dir.File("tolvi32.HLP");
    for (const platform::ScreenArea& screen : screens) {
        SCOPED_TRACE(Text(screen.whole));
        platform::OverrideScreen(&screen);

        // The bar the input box keeps to, across the top of the screen.
        QWidget bar;
        bar.resize(300, 20);
        platform::PlaceWindow(&bar, platform::AtScreenPoint(0, 0));
        bar.show();
        gMainWnd = &bar;
        // The boxes of a menu command open over the bar, the active window.
        QApplication::setActiveWindow(&bar);
        ASSERT_EQ(QApplication::activeWindow(), &bar);

        {
            platform::QtUi qt;
            platform::SetUi(&qt);
            gMsgTitle = "Tolvi32 - Tolvi32 (Exit)";
            CheckModal("question", [] { AskQuestion("Database: BOARD has changed. Save before Exit?"); });
            CheckModal("message", [&] { ShowReadFileError(dir.File("NOFILE.TPA")); });
            for (bool save : {false, true}) {
                platform::FileDialogRequest request;
                request.title = save ? "Tolvi32 - Save Database As" : "Tolvi32 - Open Database";
                request.filter = "Databases (*.TPB)|*.TPB";
                request.initDir = dir.path();
                request.save = save;
                request.flags = save ? platform::kSaveDialogFlags : platform::kOpenDialogFlags;
                CheckModal(save ? "save dialog" : "open dialog", [&] { platform::ui().FileDialog(request); });
            }
            platform::SetUi(&scriptedUi());
        }

        CheckInputBox("input box");
        for (const SetupFormInfo& info : SetupForms()) {
            if (std::string(info.name) == "OPTNDEV") continue;  // opened from the library dialog only
            for (OptionScope scope : {OptionScope::Default, OptionScope::Current}) {
                OptionScopeGuard inScope(scope);
                CheckForm(std::string("setup dialog ") + info.name, info.make(nullptr), -1, [&](QWidget*) {
                    if (std::string(info.name) == "OPTNLNAM") CheckInputBox("input box over a setup dialog");
                });
            }
        }
        CheckForm("export window", new QUVSASC(nullptr), 0);
        CheckForm("ASCII load window", new QUVLASC(nullptr), 0);

        scriptedUi().QueueModal("QUVHIER", [&](QWidget* f) {
            Check("hierarchy browser", f);
            static_cast<QUVHIER*>(f)->F_Cancel->click();
        });
        M_Hier_Click();

        {
            platform::QtHelp engine;
            platform::SetHelp(&engine);
            InitHelpWindow(nullptr, gHelpFile);
            engine.ShowTopic(gHelpFile, 0);
            Check("help window at start-up", engine.Window(gHelpFile));
            EXPECT_EQ(FrameOf(engine.Window(gHelpFile)).width, screen.available.width)
                << "1025/1024 of the width";
            ShowCurrentHelpTopic();
            Check("help window beside the work", engine.Window(gHelpFile));
            // A help file nothing places: the tutorial.
            const std::string tutorial = dir.File("QUVTUT.HLP");
            ShowHelpFile(tutorial, platform::kHelpIndex, "Tolvi32");
            Check("tutorial window", engine.Window(tutorial), true);
            platform::SetHelp(nullptr);
        }
    }
}

}  // namespace
}  // namespace tolvi
