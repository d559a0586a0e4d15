// The help that ships beside the program: every topic that the menus and the dialogs can record
// has a page, the pages link only to shipped pages, and the help window that automatic help
// opens at the first start shows the contents.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/context_help.h"
#include "common/general_settings.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "mainwindow/fake_module.h"
#include "mainwindow/module_registry.h"
#include "mainwindow/quvmain.h"
#include "mainwindow/started_window.h"
#include "mainwindow/startup.h"
#include "platform/help.h"
#include "platform/paths.h"
#include "platform/qt/qt_help.h"
#include "platform/ui.h"
#include "setup/setup_forms.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

namespace fs = std::filesystem;
using test::scriptedUi;

// Where the build puts the program and the files it ships.
const std::string kProgramDir = TOLVI_PROGRAM_DIR;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The help sets the program opens: the context help and the tutorial.
const char* const kHelpFiles[] = {"tolvi32.HLP", "QUVTUT.HLP"};

fs::path HelpDir(const std::string& helpFile) {
    return platform::QtHelp::HelpDirectory(platform::JoinPath(kProgramDir, helpFile));
}

// The topic map of the context help, as the help window reads it.
std::map<int32_t, std::string> TopicMap() {
    std::map<int32_t, std::string> topics;
    std::istringstream in(ReadAll(HelpDir("tolvi32.HLP") / "topics.txt"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';' || line[0] == '\r') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        topics[std::stoi(line.substr(0, eq))] = line.substr(eq + 1);
    }
    return topics;
}

// What the help window shows for a topic of the shipped context help.
std::string ShownTopic(platform::QtHelp& engine, int32_t topic, std::string* source = nullptr) {
    const std::string file = platform::JoinPath(kProgramDir, "tolvi32.HLP");
    engine.ShowTopic(file, topic);
    auto* page = engine.Window(file)->findChild<QTextBrowser*>("HelpPage");
    if (source) *source = page->source().fileName().toStdString();
    return page->toPlainText().toStdString();
}

// Every topic the program records: each menu item triggered with a module busy (a command
// records its topic before or after its busy test, and the busy test stops it there), and each
// tab of every setup dialog. Boxes get their default answer and dialogs close at once.
std::set<int32_t> RecordedTopics() {
    std::set<int32_t> topics;
    test::TempDir dir;
    gIniFile = dir.File("TOLVI32.INI");
    test::FakeModules fakes;
    fakes.Register("QUVSCHED");
    int16_t mode = 0;
    std::string arg;
    InitializeApp("QUVSCHED", mode, arg);
    E_SetString("QUVSCHED", "Capture, 0, 1, 0, 0");
    platform::SetUi(nullptr);

    auto record = [&](const std::function<void()>& run) {
        gHelpTopic = -1;
        run();
        if (gHelpTopic != -1) topics.insert(gHelpTopic);
    };
    QUVMAIN w;
    std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) {
        for (QAction* a : actions) {
            if (a->menu()) {
                walk(a->menu()->actions());
            } else if (!a->isSeparator() && a->objectName() != "M_Exit") {
                record([a] { a->trigger(); });
            }
        }
    };
    walk(w.menuBar()->actions());
    for (const SetupFormInfo& f : SetupForms()) {
        std::unique_ptr<QWidget> form(CreateSetupForm(f.name));
        for (QTabWidget* tabs : form->findChildren<QTabWidget*>())
            for (int i = 0; i < tabs->count(); ++i)
                for (int other : {(i + 1) % tabs->count(), i}) record([&] { tabs->setCurrentIndex(other); });
    }
    platform::SetUi(&scriptedUi());
    return topics;
}

TEST(HelpPages, EveryRecordedTopicHasItsPageAndEveryPageATopic) {
    const std::set<int32_t> recorded = RecordedTopics();
    // Start-up records topic 0, the contents.
    ASSERT_GT(recorded.size(), 30u) << "the menu walk recorded too little to be the whole menu";
    const std::map<int32_t, std::string> mapped = TopicMap();
    ASSERT_EQ(mapped.count(0), 1u);
    EXPECT_EQ(mapped.at(0), "index.html");

    platform::QtHelp engine;
    for (int32_t topic : recorded) {
        SCOPED_TRACE("topic " + std::to_string(topic));
        EXPECT_EQ(mapped.count(topic), 1u) << "recorded, but the help has no page for it";
        std::string source;
        const std::string shown = ShownTopic(engine, topic, &source);
        EXPECT_EQ(source, mapped.count(topic) ? mapped.at(topic) : "");
        EXPECT_EQ(shown.find("is not in the help file"), std::string::npos) << shown;
    }
    // A page under a number nothing records would never be shown: its number is wrong.
    for (const auto& [topic, page] : mapped) {
        if (topic == 0) continue;
        EXPECT_EQ(recorded.count(topic), 1u) << topic << "=" << page << " is recorded by nothing";
    }
}

// The pages of a help set, by file name.
std::map<std::string, std::string> Pages(const fs::path& dir) {
    std::map<std::string, std::string> pages;
    for (const fs::directory_entry& e : fs::directory_iterator(dir))
        if (e.path().extension() == ".html") pages[e.path().filename().string()] = ReadAll(e.path());
    return pages;
}

// Every link of every page leads to a page of the same help set (and to an anchor that page has);
// nothing reaches outside it, nothing runs, and every page can be reached from the contents. The
// texts are plain ASCII, the same bytes in the single-byte code page of the program's files and in
// whatever the help window decodes them as.
TEST(HelpPages, LinksStayInsideTheShippedHelpAndReachEveryPage) {
    static const QRegularExpression link(R"re(\b(?:href|src)\s*=\s*"([^"]*)")re",
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression anchor(R"re(<a\s+name\s*=\s*"([^"]+)")re",
                                           QRegularExpression::CaseInsensitiveOption);
    for (const char* helpFile : kHelpFiles) {
        SCOPED_TRACE(helpFile);
        const fs::path dir = HelpDir(helpFile);
        ASSERT_TRUE(fs::is_directory(dir)) << dir << " is not shipped";
        const std::map<std::string, std::string> pages = Pages(dir);
        ASSERT_EQ(pages.count("index.html"), 1u);
        std::map<std::string, std::set<std::string>> anchors;
        for (const auto& [name, text] : pages)
            for (auto m = anchor.globalMatch(QString::fromLatin1(text)); m.hasNext();)
                anchors[name].insert(m.next().captured(1).toStdString());

        std::set<std::string> reached{"index.html"};
        std::vector<std::string> todo{"index.html"};
        while (!todo.empty()) {
            const std::string name = todo.back();
            todo.pop_back();
            for (auto m = link.globalMatch(QString::fromLatin1(pages.at(name))); m.hasNext();) {
                const std::string target = m.next().captured(1).toStdString();
                SCOPED_TRACE(::testing::Message() << name << " links to \"" << target << '"');
                const auto hash = target.find('#');
                const std::string page = hash == std::string::npos ? target : target.substr(0, hash);
                const std::string fragment = hash == std::string::npos ? "" : target.substr(hash + 1);
                const std::string into = page.empty() ? name : page;
                ASSERT_EQ(pages.count(into), 1u) << "no such page in the help";
                if (!fragment.empty()) {
                    EXPECT_EQ(anchors[into].count(fragment), 1u) << "no such anchor";
                }
                if (reached.insert(into).second) todo.push_back(into);
            }
        }
        for (const auto& [name, text] : pages) {
            SCOPED_TRACE(name);
            EXPECT_EQ(reached.count(name), 1u) << "not reachable from the contents";
            const QString lower = QString::fromLatin1(text).toLower();
            for (const char* banned : {"<script", "javascript:", "://", "<iframe", "<object", "<embed"})
                EXPECT_FALSE(lower.contains(QLatin1String(banned))) << banned;
            for (unsigned char c : text)
                EXPECT_TRUE(c < 0x80 && (c >= 0x20 || c == '\n' || c == '\t')) << int(c);
        }
    }
}

// The program names its help file after itself ("<program dir>/<program>.HLP"); the test
// program's name and directory differ, so this engine shows the help sets where the build ships
// them for tolvi32, in the real help window.
class ShippedHelp : public platform::Help {
public:
    platform::QtHelp engine;

    static std::string Shipped(const std::string& helpFile) {
        std::string name = platform::FileNamePart(helpFile);
        if (name == platform::ProgramFileName() + ".HLP") name = "tolvi32.HLP";
        return platform::JoinPath(kProgramDir, name);
    }
    void ShowTopic(const std::string& helpFile, int32_t topic) override {
        engine.ShowTopic(Shipped(helpFile), topic);
    }
    void Command(const std::string& helpFile, int command, const std::string& data) override {
        engine.Command(Shipped(helpFile), command, data);
    }
    // The page that the window of helpFile shows, and its title.
    std::pair<std::string, std::string> Shown(const char* helpFile) const {
        QWidget* w = engine.Window(platform::JoinPath(kProgramDir, helpFile));
        if (!w || !w->isVisible()) return {"<no window>", ""};
        auto* page = w->findChild<QTextBrowser*>("HelpPage");
        return {page->source().fileName().toStdString(), page->documentTitle().toStdString()};
    }
};

// A new user's first start: automatic help is on, so the help window opens, and it shows the
// contents, not a missing file. The Help menu opens the contents and the tutorial.
TEST(HelpPages, FirstStartShowsTheContentsAndTheHelpMenuTheTutorial) {
    ShippedHelp help;
    platform::SetHelp(&help);
    {
        test::StartedWindow s;
        QUVMAIN& w = *s.w;
        ASSERT_TRUE(s.Load());
        scriptedUi().Verify();
        EXPECT_EQ(help.Shown("tolvi32.HLP"),
                  std::make_pair(std::string("index.html"), std::string("Tolvi32 Help")));

        w.Item("M_Help", 2)->trigger();
        EXPECT_EQ(help.Shown("QUVTUT.HLP"),
                  std::make_pair(std::string("index.html"), std::string("Tolvi32 Tutorial: the first hour")));
        help.engine.Command(platform::JoinPath(kProgramDir, "tolvi32.HLP"), platform::kHelpQuit, "");
        w.Item("M_Help", 1)->trigger();
        EXPECT_EQ(help.Shown("tolvi32.HLP"),
                  std::make_pair(std::string("index.html"), std::string("Tolvi32 Help")));
    }
    platform::SetHelp(nullptr);
}

}  // namespace
}  // namespace tolvi
