#include "common/utilities.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/screen.h"
#include "platform/text_files.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

using test::scriptedUi;

std::string CurrentDir() { return std::filesystem::current_path().string(); }

TEST(LineInputFile, StripsEveryLineEndAndFailsPastTheEnd) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lf", "a\nb", {"a", "b"}},
        {"cr", "a\rb\r", {"a", "b"}},
        {"mixed", "a\r\n\rb\n\nc", {"a", "", "b", "", "c"}},
        {"empty", "", {}},
        {"blank line", "\r\n", {""}},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scriptedUi().Reset();
        gWorkFile = dir.Write(c.name, c.bytes);
        int err = -1, fileNo = 0;
        OpenForInput(err, fileNo, gWorkFile);
        ASSERT_EQ(err, 0);
        std::string line;
        for (const std::string& want : c.lines) {
            LineInputFile(err, fileNo, line);
            EXPECT_EQ(err, 0);
            EXPECT_EQ(line, want);
        }
        scriptedUi().QueueAnswer(1);
        LineInputFile(err, fileNo, line);
        EXPECT_EQ(err, 1);
        ASSERT_EQ(scriptedUi().boxes.size(), 1u);
        EXPECT_EQ(scriptedUi().boxes[0].text, "Can't read file: " + gWorkFile);
        EXPECT_EQ(scriptedUi().boxes[0].title, "Input past end of file");
        EXPECT_EQ(scriptedUi().boxes[0].style, 4144);
        CloseFileOptKill(0, fileNo, gWorkFile);
        EXPECT_FALSE(platform::IsFileOpen(fileNo));
    }
}

TEST(TextFiles, PrintLineFileAddsNoLineEndAndCloseCanDelete) {
    test::TempDir dir;
    const std::string path = dir.File("out.txt");
    int err = -1, fileNo = 0;
    OpenForOutput(err, fileNo, path);
    ASSERT_EQ(err, 0);
    gWorkFile = path;
    PrintLineFile(err, fileNo, "first\r\n");
    PrintLineFile(err, fileNo, "sec");
    PrintLineFile(err, fileNo, "ond");
    EXPECT_EQ(err, 0);
    CloseFileOptKill(0, fileNo, path);
    EXPECT_EQ(dir.Read("out.txt"), "first\r\nsecond");

    OpenForInput(err, fileNo, path);
    CloseFileOptKill(1, fileNo, path);
    EXPECT_FALSE(std::filesystem::exists(path));
    CloseFileOptKill(1, 77, dir.File("never there"));  // nothing open, nothing to delete: silent
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST(TextFiles, CloseOfOutputReportsALostWriteAndKillKeepsNothing) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.File("sub"));
    const std::string lost = dir.File("sub/out.txt");
    int err = -1, fileNo = 0;
    OpenForOutput(err, fileNo, lost);
    ASSERT_EQ(err, 0);
    PrintLineFile(err, fileNo, "text\r\n");
    std::filesystem::remove_all(dir.File("sub"));  // the text can no longer reach its file
    scriptedUi().QueueAnswer(1);
    EXPECT_FALSE(CloseFileOptKill(0, fileNo, lost));
    EXPECT_FALSE(platform::IsFileOpen(fileNo));
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't create/write to file: " + lost);
    EXPECT_EQ(scriptedUi().boxes[0].style, 4144);

    const std::string old = dir.Write("old.txt", "old\r\n");
    OpenForOutput(err, fileNo, old);
    ASSERT_EQ(err, 0);
    PrintLineFile(err, fileNo, "cancelled");
    EXPECT_TRUE(CloseFileOptKill(1, fileNo, old));
    EXPECT_FALSE(std::filesystem::exists(old));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // no temporary left either
    EXPECT_EQ(scriptedUi().boxes.size(), 1u);
}

TEST(TextFiles, OpenFailuresShowTheirBoxes) {
    test::TempDir dir;
    const std::string missing = dir.File("missing.txt");
    const std::string noDir = dir.File("no dir/out.txt");
    int err = 0, fileNo = 0;

    scriptedUi().QueueAnswer(1);
    OpenForInput(err, fileNo, missing);
    EXPECT_EQ(err, 1);
    EXPECT_FALSE(platform::IsFileOpen(fileNo));

    scriptedUi().QueueAnswer(1);
    OpenForInput(err, fileNo, dir.path());  // a directory is no text file
    EXPECT_EQ(err, 1);

    scriptedUi().QueueAnswer(1);
    OpenForOutput(err, fileNo, noDir);
    EXPECT_EQ(err, 1);
    EXPECT_FALSE(platform::IsFileOpen(fileNo));

    const auto& boxes = scriptedUi().boxes;
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "Can't read file: " + missing);
    EXPECT_EQ(boxes[0].title, "File not found");
    EXPECT_EQ(boxes[1].text, "Can't read file: " + dir.path());
    EXPECT_EQ(boxes[2].text, "Can't create/write to file: " + noDir);
    for (const auto& b : boxes) {
        EXPECT_EQ(b.style, 4144);
        EXPECT_FALSE(b.title.empty());
    }
}

TEST(FileOpenTest, OnlyReadableRegularFilesPass) {
    test::TempDir dir;
    const std::string file = dir.Write("DESIGN.TPB", "x");
    int err = -1;
    FileOpenTest(err, 1, file);
    EXPECT_EQ(err, 0);
    FileOpenTest(err, 0, dir.File("missing.TPB"));
    EXPECT_EQ(err, 1);
    FileOpenTest(err, 0, dir.path());
    EXPECT_EQ(err, 1);
    EXPECT_TRUE(scriptedUi().boxes.empty());
    EXPECT_EQ(platform::FreeFileNumber(), 1);  // nothing left open

    gMsgTitle = "Open";
    scriptedUi().QueueAnswer(1);
    FileOpenTest(err, 1, dir.File("missing.TPB"));
    EXPECT_EQ(err, 1);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't find Database File: " + dir.File("missing.TPB"));
    EXPECT_EQ(scriptedUi().boxes[0].title, "Tolvi32 - Tolvi32 (Open)");
}

TEST(ShowDbError, MessagesOfTheCodeTable) {
    struct Case {
        int code;
        const char* text;
        int style;
    };
    const Case cases[] = {
        {1, "Can't load Database: D", 4144},
        {2, "Can't save DatabaseD", 4144},
        {3, "Can't create Net hook D", 4144},
        {4, "Can't find Database File: D", 4144},
        {21, "Range Error: D", 4144},
        {22, "Can't load local vector font, default assumed.D", 4144},
        {5, "", 4096},
        {0, "", 4096},
    };
    gAppTitle = "App";
    gMsgTitle = "Save";
    for (const Case& c : cases) {
        scriptedUi().QueueAnswer(1);
        ShowDbError(c.code, "D");
        const auto& b = scriptedUi().boxes.back();
        EXPECT_EQ(b.text, c.text) << c.code;
        EXPECT_EQ(b.style, c.style) << c.code;
        EXPECT_EQ(b.title, "Tolvi32 - App (Save)");
    }
}

TEST(ValidateDirectory, AcceptsRootAndEnterableDirectoriesAsTyped) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.File("MixedCase"));
    const std::string before = CurrentDir();
    const std::string good[] = {"/", "//", dir.File("MixedCase"), dir.File("MixedCase") + "/", dir.path()};
    for (const std::string& p : good) {
        std::string path = p;
        int err = -1;
        ValidateDirectory(path, err);
        EXPECT_EQ(err, 0) << p;
        EXPECT_EQ(path, p);
    }
    const std::string bad[] = {dir.File("mixedcase"), dir.File("NoSuchDir"), dir.Write("file", "x"), ""};
    for (const std::string& p : bad) {
        scriptedUi().Reset();
        scriptedUi().QueueAnswer(1);
        std::string path = p;
        int err = 0;
        ValidateDirectory(path, err);
        EXPECT_EQ(err, 1) << p;
        EXPECT_EQ(path, p);
        ASSERT_EQ(scriptedUi().boxes.size(), 1u) << p;
        EXPECT_EQ(scriptedUi().boxes[0].text, "Path: " + p + " not available");
        EXPECT_EQ(scriptedUi().boxes[0].style, 4144);
        EXPECT_EQ(scriptedUi().boxes[0].title, "Path not found");
    }
    EXPECT_EQ(CurrentDir(), before);
}

TEST(SplitPath, DirectoryAndNameParts) {
    struct Case {
        const char* path;
        const char* sep;
        const char* dir;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\DIR\\FILE.TPB", "\\", "C:\\DIR\\", "FILE.TPB"},
        {"/home/u/design.tpb", "/", "/home/u/", "design.tpb"},
        {"/home/u/design.tpb", " / ", "/home/u/", "design.tpb"},  // the separator is trimmed
        {"design.tpb", "/", "", "design.tpb"},
        {"/home/u/", "/", "/home/u/", ""},
        {"aXbxc", "X", "aXbx", "c"},  // letters match in any case
        {"a/b", "//", "", ""},
        {"a/b", "ab", "", ""},
        {"", "/", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitPath(c.path, c.sep, -1), c.dir) << c.path << " " << c.sep;
        EXPECT_EQ(SplitPath(c.path, c.sep, 0), c.name) << c.path << " " << c.sep;
    }
}

TEST(GetFirstToken, TakesTheFirstTokenOffTheLine) {
    struct Case {
        const char* line;
        const char* token;
        int16_t noToken;
        const char* rest;
    };
    const Case cases[] = {
        {"", "", -1, ""},
        {"   ", "", -1, ""},
        {"  \"abc  ", "", -1, "\"abc"},  // no closing quote: line kept as trimmed
        {"\"my dir\"  -x ", "my dir", 0, "-x"},
        {"\" padded \"rest", "padded", 0, "rest"},
        {"\"\" x", "", -1, " x"},
        {"dir rest", "dir", 0, "rest"},
        {"abc/def", "abc", 0, "/def"},
        {"abc\"def\"", "abc", 0, "\"def\""},
        {"/home/u/settings", "", -1, "/home/u/settings"},
        {"  tok  ", "tok", 0, ""},
    };
    for (const Case& c : cases) {
        std::string line = c.line;
        int16_t noToken = 5;
        EXPECT_EQ(GetFirstToken(line, noToken), c.token) << c.line;
        EXPECT_EQ(noToken, c.noToken) << c.line;
        EXPECT_EQ(line, c.rest) << c.line;
    }
}

TEST(StringHelpers, FirstWordCopiesAndTrims) {
    const std::pair<const char*, const char*> words[] = {
        {"abc", "abc"}, {"ab cd", "ab"}, {" ab", ""}, {"", ""}, {"a\tb c", "a\tb"}};
    for (const auto& [text, want] : words) EXPECT_EQ(FirstWord(text), want) << text;
    EXPECT_EQ(Trim("  a b \t "), "a b \t");
    EXPECT_EQ(LTrim("  a "), "a ");
    EXPECT_EQ(RTrim("  a "), "  a");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(CopyStr("x y"), "x y");
    EXPECT_EQ(CopyStr2(""), "");
    // Capitals: a-z only for names of programs; every code-page letter for what is shown.
    EXPECT_EQ(UpperAscii("Mix\xe9"
                         "d.part"),
              "MIX\xe9"
              "D.PART");
    EXPECT_EQ(UpperCodePage("Mix\xe9"
                            "d.part \x9a\xff\xf7\xdf"),
              "MIX\xc9"
              "D.PART \x8a\x9f\xf7\xdf");
}

TEST(CStrFromPtr, CopiesToTheZeroWhateverTheLength) {
    EXPECT_EQ(CStrFromPtr(nullptr), "");
    const std::string longText(5000, 'k');
    EXPECT_EQ(CStrFromPtr(longText.c_str()), longText);
    const char withZero[] = "ab\0cd";
    EXPECT_EQ(CStrFromPtr(withZero), "ab");
    EXPECT_EQ(gIniBuf, "ab");
}

TEST(GetAppPath, IsTheDirectoryOfTheProgram) {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    ASSERT_GT(n, 0);
    EXPECT_EQ(GetAppPath(),
              std::filesystem::path(std::string(buf, static_cast<std::size_t>(n))).parent_path().string());
}

TEST(CenterForm, CentresTheFrameAndKeepsItOnTheScreen) {
    const platform::Rect screen = platform::AvailableRect();
    ASSERT_GT(screen.width, 0);
    struct Case {
        int w, h;
        bool fixed;  // its minimum size keeps it larger than the screen
    };
    for (const Case c : {Case{200, 100, false}, Case{screen.width + 200, screen.height + 60, false},
                         Case{screen.width + 200, screen.height + 60, true}}) {
        SCOPED_TRACE(std::to_string(c.w) + (c.fixed ? " fixed" : ""));
        QWidget form;
        if (c.fixed)
            form.setFixedSize(c.w, c.h);
        else
            form.resize(c.w, c.h);
        CenterForm(&form);
        const platform::Margins m = platform::FrameMargins(&form);
        const platform::Rect r = platform::WindowRect(&form);
        if (c.w < screen.width) {
            EXPECT_EQ(r.width, c.w + m.left + m.right);
            EXPECT_EQ(r.left, screen.left + (screen.width - r.width) / 2);
            EXPECT_EQ(r.top, screen.top + (screen.height - r.height) / 2);
            continue;
        }
        // Larger than the screen: as small as it may be, its caption at the screen's corner.
        EXPECT_EQ(r.left, screen.left);
        EXPECT_EQ(r.top, screen.top);
        EXPECT_EQ(r.width, c.fixed ? c.w + m.left + m.right : screen.width);
        EXPECT_EQ(r.height, c.fixed ? c.h + m.top + m.bottom : screen.height);
    }
    // A form laid out but never shown is centred by the size it shows with.
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QString(60, 'x'), &dialog));
    CenterForm(&dialog);
    dialog.show();
    const QRect shown = dialog.geometry();
    EXPECT_NEAR(shown.center().x(), screen.left + screen.width / 2.0, 2);
    EXPECT_NEAR(shown.center().y(), screen.top + screen.height / 2.0, 2);
}

}  // namespace
}  // namespace tolvi
