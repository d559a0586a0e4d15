#include "platform/qt/qt_help.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/screen.h"
#include "support/temp_dir.h"

namespace tolvi::platform {
namespace {

// A help set as written on another system: names in mixed case, the program asking in its own.
class QtHelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(dir.File("Tolvi32.Help"));
        dir.Write("Tolvi32.Help/TOPICS.TXT",
                  "; context topics\r\n"
                  " 1066 = Open.html \r\n"
                  "13848=missing.html\n"
                  "garbage line\n"
                  "5=../outside.html\n");
        dir.Write("Tolvi32.Help/open.HTML", "<html><body><p>Opening a database</p></body></html>");
        dir.Write("Tolvi32.Help/Index.html", "<html><body><p>Contents of the help</p></body></html>");
        dir.Write("outside.html", "<html><body><p>Not help</p></body></html>");
        file = dir.File("tolvi32.HLP");
    }
    void TearDown() override { OverrideScreen(nullptr); }

    std::string Shown() {
        QWidget* w = engine.Window(file);
        if (!w) return "<no window>";
        auto* page = w->findChild<QTextBrowser*>("HelpPage");
        return page ? page->toPlainText().toStdString() : "<no page>";
    }

    test::TempDir dir;
    std::string file;
    QtHelp engine;
};

TEST_F(QtHelpTest, ShowsTheMappedPageOfATopicInOneWindowPerFile) {
    engine.ShowTopic(file, 1066);
    QWidget* w = engine.Window(file);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(Shown(), "Opening a database");

    engine.Command(file, kHelpIndex, "Tolvi32");
    EXPECT_EQ(engine.Window(file), w);
    EXPECT_EQ(Shown(), "Contents of the help");
    // The same help set under the other spelling of its name shares the window.
    EXPECT_EQ(engine.Window(dir.File("TOLVI32.HLP")), w);
}

// Help asked for from inside an open dialog stays behind it: the dialog blocks input to the help
// window, which must not hide the dialog's buttons.
TEST_F(QtHelpTest, HelpShownWhileADialogIsOpenStaysBehindIt) {
    QDialog dialog;
    bool dialogOnTop = false;
    QTimer::singleShot(0, &dialog, [&] {
        engine.ShowTopic(file, 1066);
        QCoreApplication::processEvents();
        dialogOnTop = QApplication::activeModalWidget() == &dialog && QApplication::activeWindow() == &dialog;
        dialog.reject();
    });
    dialog.exec();
    EXPECT_TRUE(engine.Window(file)->isVisible());
    EXPECT_TRUE(dialogOnTop);
}

TEST_F(QtHelpTest, SaysSoWhenTheFileTopicOrPageIsMissing) {
    struct Case {
        const char* name;
        std::string file;
        int32_t topic;
        std::string said;
    };
    const Case cases[] = {
        {"unmapped topic", file, 7, "Topic 7 is not in the help file " + file + "."},
        {"missing page", file, 13848, "Topic 13848 is not in the help file " + file + "."},
        {"page outside the help", file, 5, "Topic 5 is not in the help file " + file + "."},
        {"no help set", dir.File("QUVTUT.HLP"), 1,
         "The help file " + dir.File("QUVTUT.HLP") + " is not available."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.ShowTopic(c.file, c.topic);
        QWidget* w = engine.Window(c.file);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->findChild<QTextBrowser*>("HelpPage")->toPlainText().toStdString(), c.said);
    }
}

TEST_F(QtHelpTest, PositionWindowPlacesTheFrameInThousandTwentyFourthsOfTheScreen) {
    const Rect s = PrimaryScreen().whole;
    ASSERT_TRUE(s == AvailableRect());
    // The frame, kept on the screen: a width of 1025 ends at the screen's edge.
    auto expect = [&](QWidget* w, int x, int y, int dx, int dy) {
        const QRect f = w->frameGeometry();
        EXPECT_EQ(f.x(), s.left + x * s.width / 1024);
        EXPECT_EQ(f.y(), s.top + y * s.height / 1024);
        EXPECT_EQ(f.width(), std::min(dx * s.width / 1024, s.width));
        EXPECT_EQ(f.height(), dy * s.height / 1024);
    };
    // Given before the window opens, the placement waits for it.
    engine.Command(file, kHelpCommand, "PositionWindow(0, 85, 1025, 935, 1, \"main\")");
    EXPECT_EQ(engine.Window(file), nullptr);
    engine.ShowTopic(file, 1066);
    expect(engine.Window(file), 0, 85, 1025, 935);

    engine.Command(file, kHelpCommand, "PositionWindow(600, 150, 400, 800, 1, \"main\")");
    expect(engine.Window(file), 600, 150, 400, 800);
    // Other windows and other macros leave it where it is.
    engine.Command(file, kHelpCommand, "PositionWindow(1, 1, 100, 100, 1, \"secondary\")");
    engine.Command(file, kHelpCommand, "CloseWindow(\"main\")");
    expect(engine.Window(file), 600, 150, 400, 800);
}

// A window opened before its file has a placement (the start-up's first topic, the tutorial) is
// given a place of its own, centred with its whole frame on the available area: one mapped
// without a position is left to the window manager, which may have the user place it by hand.
// The placement given afterwards moves it.
TEST_F(QtHelpTest, AWindowWithoutAPlacementOpensCentredAndAPlacementMovesItLater) {
    const ScreenArea screens[] = {
        {{0, 0, 1024, 768}, {0, 0, 1024, 768}},
        {{0, 0, 1920, 1080}, {0, 40, 1920, 1040}},  // a panel along the top
    };
    const std::string tutorial = dir.File("QUVTUT.HLP");
    for (const ScreenArea& screen : screens) {
        SCOPED_TRACE(screen.whole.width);
        OverrideScreen(&screen);
        QtHelp help;  // with no placement given yet
        help.ShowTopic(file, 1066);
        help.Command(tutorial, kHelpIndex, "Tolvi32");
        const Rect& a = screen.available;
        for (const std::string& f : {file, tutorial}) {
            SCOPED_TRACE(f);
            QWidget* w = help.Window(f);
            ASSERT_NE(w, nullptr);
            EXPECT_TRUE(w->isVisible());
            EXPECT_TRUE(w->testAttribute(Qt::WA_Moved)) << "position left to the window manager";
            const QRect frame = w->frameGeometry();
            EXPECT_NE(frame.width(), w->width()) << "the window has a frame around its inside";
            EXPECT_TRUE(frame.left() >= a.left && frame.top() >= a.top &&
                        frame.left() + frame.width() <= a.left + a.width &&
                        frame.top() + frame.height() <= a.top + a.height);
            EXPECT_NEAR(frame.left() + frame.width() / 2.0, a.left + a.width / 2.0, 1);
            EXPECT_NEAR(frame.top() + frame.height() / 2.0, a.top + a.height / 2.0, 1);
        }
        help.Command(file, kHelpCommand, "PositionWindow(0, 85, 1025, 935, 1, \"main\")");
        const QRect placed = help.Window(file)->frameGeometry();
        EXPECT_EQ(placed.topLeft(), QPoint(0, 85 * screen.whole.height / 1024));
        EXPECT_EQ(placed.width(), screen.whole.width);
    }
}

TEST_F(QtHelpTest, QuitClosesTheFilesWindowOnly) {
    engine.ShowTopic(file, 1066);
    engine.ShowTopic(dir.File("QUVTUT.HLP"), 1);
    QPointer<QWidget> w = engine.Window(file);
    engine.Command(file, kHelpQuit, "");
    EXPECT_EQ(engine.Window(file), nullptr);
    EXPECT_TRUE(!w || !w->isVisible());
    EXPECT_NE(engine.Window(dir.File("QUVTUT.HLP")), nullptr);
    // A later topic opens a fresh window.
    engine.ShowTopic(file, 1066);
    EXPECT_EQ(Shown(), "Opening a database");
}

}  // namespace
}  // namespace tolvi::platform
