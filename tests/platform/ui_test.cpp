#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

#include "platform/qt/codec.h"
#include "platform/qt/font_catalogue.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/qt_ui.h"
#include "platform/timer.h"
#include "platform/ui_font.h"
#include "support/manual_timer.h"
#include "support/modal_answer.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tolvi::test {
namespace {

using namespace platform;

TEST(ScriptedUiTest, UnexpectedCallsAndUnusedAnswersFailTheTest) {
    EXPECT_NONFATAL_FAILURE(scriptedUi().MsgBox("Can't read file: /x", 4144, "File not found"),
                            "Can't read file: /x");
    EXPECT_NONFATAL_FAILURE(scriptedUi().InputBox("Name?", "T", ""), "unexpected input box");
    EXPECT_NONFATAL_FAILURE(
        {
            QWidget form;
            form.setObjectName("OPTNGRID");
            scriptedUi().ShowModal(&form);
        },
        "OPTNGRID");
    scriptedUi().QueueAnswer(kAnswerYes);
    EXPECT_NONFATAL_FAILURE(scriptedUi().Verify(), "never used");
    scriptedUi().Reset();
}

TEST(ScriptedUiTest, AnswersFromQueuesAndRecordsTranscript) {
    ScriptedUi& s = scriptedUi();
    s.QueueAnswer(kAnswerNo);
    s.QueueInput("typed");
    s.QueueModal("QUVPASS", [](QWidget* form) { form->close(); });

    EXPECT_EQ(ui().MsgBox("Save <Untitled>?", 4131, "Tolvi32"), kAnswerNo);
    ui().SetBusyPointer(true);
    ui().Beep();
    EXPECT_EQ(ui().InputBox("Name", "Title", "old"), std::optional<std::string>("typed"));
    QWidget form;
    form.setObjectName("QUVPASS");
    ui().ShowModal(&form);
    ui().SetBusyPointer(false);

    EXPECT_EQ(s.transcript,
              (std::vector<std::string>{"box: Tolvi32 | Save <Untitled>? | 4131", "pointer: busy", "beep",
                                        "input: Name", "modal: QUVPASS", "pointer: normal"}));
    EXPECT_FALSE(ui().BusyPointer());
    // A script that leaves its form open fails the test.
    s.QueueModal("QUVPASS", [](QWidget*) {});
    EXPECT_NONFATAL_FAILURE(
        {
            QWidget form;
            form.setObjectName("QUVPASS");
            scriptedUi().ShowModal(&form);
        },
        "left modal form QUVPASS open");
}

TEST(ManualTimerTest, FiresOnlyWhileEnabled) {
    auto timer = CreateTimer();
    ASSERT_EQ(manualTimers().size(), 1u);
    int fired = 0;
    timer->SetHandler([&] { ++fired; });
    timer->SetInterval(1000);
    EXPECT_FALSE(manualTimers()[0]->Tick());
    timer->SetEnabled(true);
    EXPECT_TRUE(manualTimers()[0]->Tick());
    EXPECT_EQ(fired, 1);
    timer.reset();
    EXPECT_TRUE(manualTimers().empty());
}

TEST(QtTimerTest, FiresFromTheEventLoop) {
    QtTimer timer;
    QEventLoop loop;
    int fired = 0;
    timer.SetHandler([&] {
        ++fired;
        timer.SetEnabled(false);
        loop.quit();
    });
    timer.SetInterval(1);
    timer.SetEnabled(true);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);  // guard only
    loop.exec();
    EXPECT_EQ(fired, 1);
}

// Runs action on the message box once it is up (polled for, since exec() blocks), within a bound.
test::ModalAnswer WhenBoxShows(const std::string& what, std::function<void(QMessageBox*)> action) {
    return test::ModalAnswer(what, [action = std::move(action)](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr) << "the modal window is no message box";
        action(box);
    });
}

TEST(QtUiTest, MessageBoxIsPlainTextWithRawStyle) {
    QtUi qt;
    QString shownText;
    Qt::TextFormat format = Qt::AutoText;
    bool onTop = false;
    int buttons = 0;
    const auto answer = WhenBoxShows("the save question", [&](QMessageBox* box) {
        shownText = box->text();
        format = box->textFormat();
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        buttons = static_cast<int>(box->buttons().size());
        for (QAbstractButton* b : box->buttons()) {
            auto* p = qobject_cast<QPushButton*>(b);
            EXPECT_TRUE(p && !p->autoDefault());
        }
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(qt.MsgBox("Save <Untitled> caf\xE9?", 4096 + 32 + 3, "Tolvi32"), kAnswerNo);
    EXPECT_EQ(shownText, QString::fromUtf8("Save <Untitled> caf\u00E9?"));
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_TRUE(onTop);
    EXPECT_EQ(buttons, 3);
}

TEST(QtUiTest, EscapeOrCloseOnYesNoCancelIsCancel) {
    QtUi qt;
    {
        const auto answer = WhenBoxShows("Escape", [](QMessageBox* box) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(box, &esc);
        });
        EXPECT_EQ(qt.MsgBox("Quit?", kStyleYesNoCancel, ""), kAnswerCancel);
    }
    const auto answer = WhenBoxShows("the close box", [](QMessageBox* box) { box->close(); });
    EXPECT_EQ(qt.MsgBox("Quit?", kStyleYesNoCancel, ""), kAnswerCancel);
}

TEST(QtUiTest, FilePatternsIgnoreCase) {
    EXPECT_EQ(FileDialogNameFilters("Databases (*.TPB)|*.TPB|All files|*.*|Lists|*.net;*.Wl"),
              (QStringList{"Databases (*.TPB) (*.[tT][pP][bB])", "All files (*)",
                           "Lists (*.[nN][eE][tT] *.[wW][lL])"}));
    TempDir dir;
    for (const char* n : {"board.tpb", "OLD.TPB", "notes.txt", "README"}) dir.Write(n, "");
    QDir d(QString::fromStdString(dir.path()));
    d.setFilter(QDir::Files | QDir::CaseSensitive);
    d.setSorting(QDir::Name);
    EXPECT_EQ(d.entryList({CaseInsensitivePattern("*.TPB")}), (QStringList{"OLD.TPB", "board.tpb"}));
    EXPECT_EQ(d.entryList({CaseInsensitivePattern("*.*")}).size(), 4);
}

TEST(QtUiTest, BusyPointerIsAState) {
    QtUi qt;
    qt.SetBusyPointer(true);
    qt.SetBusyPointer(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    qt.SetBusyPointer(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(qt.BusyPointer());
}

TEST(QtUiTest, ShowModalOfAPlainWidgetWaitsUntilHidden) {
    QtUi qt;
    QWidget form;
    bool wasModal = false;
    const ModalAnswer answer("the plain widget", [&](QWidget* w) {
        wasModal = w == &form && form.isVisible() && form.windowModality() == Qt::ApplicationModal;
        form.hide();
    });
    qt.ShowModal(&form);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(form.isVisible());
}

TEST(FontCatalogueTest, LocaleNames) {
    const struct {
        const char* name;
        int id, charset;
    } cases[] = {
        {"ja_JP.UTF-8", 0x0411, 128}, {"zh_TW.UTF-8", 0x0404, 136},
        {"zh_HK", 0x0C04, 136},       {"zh_CN.GB2312", 0x0804, 134},
        {"zh_SG", 0x1004, 134},       {"zh_MO", 0x1404, 136},
        {"zh", 0x0804, 134},          {"ko_KR.UTF-8", 0x0412, 129},
        {"de_DE@euro", 0x0407, 0},    {"ru_RU.UTF-8", 0x0419, 204},
        {"pl_PL", 0x0415, 238},       {"el_GR", 0x0408, 161},
        {"tr_TR", 0x041F, 162},       {"he_IL", 0x040D, 177},
        {"ar_EG", 0x0401, 178},       {"th_TH", 0x041E, 222},
        {"lt_LT", 0x0427, 186},       {"C", 0x0409, 0},
        {"POSIX", 0x0409, 0},         {"", 0x0409, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LocaleIdFromName(c.name), c.id) << c.name;
        EXPECT_EQ(CharsetFromName(c.name), c.charset) << c.name;
    }
}

struct RecordingHook : CaptionHook {
    std::vector<std::string> calls;
    std::string Localise(const std::string& caption, const std::string& tag) override {
        calls.push_back(caption + "|" + tag);
        return "L " + caption;
    }
};

TEST(LocaliseWidgetTreeTest, FontsAndTaggedCaptions) {
    QWidget form;
    form.setWindowTitle("Grid");
    form.setProperty("tag", "100");
    auto* layout = new QVBoxLayout(&form);
    auto* label = new QLabel(QString::fromUtf8("Gr\u00F6\u00DFe"), &form);
    label->setProperty("tag", "101");
    auto* untagged = new QPushButton("Keep", &form);
    auto* button = new QPushButton("OK", &form);
    button->setProperty("tag", "102");
    auto* group = new QGroupBox("Snap", &form);
    group->setProperty("tag", "103");
    auto* edit = new QLineEdit("text", &form);
    edit->setProperty("tag", "104");  // no caption: left alone
    auto* empty = new QLabel("Empty tag", &form);
    empty->setProperty("tag", "");
    auto* bar = new QMenuBar(&form);
    QMenu* menu = bar->addMenu("File");
    menu->setProperty("tag", "105");
    QAction* action = menu->addAction("Open");
    action->setProperty("tag", "106");
    for (QWidget* w : std::initializer_list<QWidget*>{label, untagged, button, group, edit, empty})
        layout->addWidget(w);
    QFont bold = button->font();
    bold.setBold(true);
    button->setFont(bold);

    RecordingHook hook;
    LocaliseWidgetTree(&form, "DejaVu Sans", 9, 0, hook);

    // "Größe" in the code page; \x65 is the "e", which written plainly would lengthen the escape.
    EXPECT_EQ(hook.calls, (std::vector<std::string>{"Grid|100", "Gr\xF6\xDF\x65|101", "OK|102", "Snap|103",
                                                    "File|105", "Open|106"}));
    EXPECT_EQ(form.windowTitle(), "L Grid");
    EXPECT_EQ(label->text(), QString::fromUtf8("L Gr\u00F6\u00DFe"));
    EXPECT_EQ(untagged->text(), "Keep");
    EXPECT_EQ(button->text(), "L OK");
    EXPECT_EQ(group->title(), "L Snap");
    EXPECT_EQ(edit->text(), "text");
    EXPECT_EQ(empty->text(), "Empty tag");
    EXPECT_EQ(menu->title(), "L File");
    EXPECT_EQ(action->text(), "L Open");
    EXPECT_EQ(button->font().family(), "DejaVu Sans");
    EXPECT_EQ(button->font().pointSize(), 9);
    EXPECT_FALSE(button->font().bold());
    // Menus have no font in the forms: they keep the application's menu font.
    for (QWidget* m : std::initializer_list<QWidget*>{bar, menu}) {
        EXPECT_EQ(m->font().family(), QApplication::font(m).family()) << m->metaObject()->className();
        EXPECT_EQ(m->font().pointSizeF(), QApplication::font(m).pointSizeF()) << m->metaObject()->className();
    }
}

}  // namespace
}  // namespace tolvi::test
