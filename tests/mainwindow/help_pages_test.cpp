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

// What records a topic: a menu item, named by its path as the menus spell it ("Options > Sizes >
// Texts"), or a tab of a setup dialog, named by its caption ("Comp. Name").
struct Recorder {
    std::string name;
    bool tab = false;
};

// A caption as the menu shows it: "&&" is an ampersand, a single "&" marks the access key.
std::string Shown(const QString& caption) {
    std::string out;
    const std::string s = caption.toStdString();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) ++i;
        out += s[i];
    }
    return out;
}

// Every topic the program records, with what records it: each menu item triggered with a module
// busy (a command records its topic before or after its busy test, and the busy test stops it
// there), and each tab of every setup dialog. Boxes get their default answer and dialogs close at
// once.
std::map<int32_t, std::vector<Recorder>> RecordedTopics() {
    std::map<int32_t, std::vector<Recorder>> topics;
    test::TempDir dir;
    gIniFile = dir.File("TOLVI32.INI");
    test::FakeModules fakes;
    fakes.Register("QUVSCHED");
    int16_t mode = 0;
    std::string arg;
    InitializeApp("QUVSCHED", mode, arg);
    E_SetString("QUVSCHED", "Capture, 0, 1, 0, 0");
    platform::SetUi(nullptr);

    auto record = [&](const Recorder& by, const std::function<void()>& run) {
        gHelpTopic = -1;
        run();
        if (gHelpTopic != -1) topics[gHelpTopic].push_back(by);
    };
    QUVMAIN w;
    std::function<void(const QList<QAction*>&, const std::string&)> walk = [&](const QList<QAction*>& actions,
                                                                               const std::string& path) {
        for (QAction* a : actions) {
            const std::string name = (path.empty() ? "" : path + " > ") + Shown(a->text());
            if (a->menu()) {
                walk(a->menu()->actions(), name);
            } else if (!a->isSeparator() && a->objectName() != "M_Exit") {
                record({name}, [a] { a->trigger(); });
            }
        }
    };
    walk(w.menuBar()->actions(), "");
    for (const SetupFormInfo& f : SetupForms()) {
        std::unique_ptr<QWidget> form(CreateSetupForm(f.name));
        for (QTabWidget* tabs : form->findChildren<QTabWidget*>())
            for (int i = 0; i < tabs->count(); ++i)
                for (int other : {(i + 1) % tabs->count(), i})
                    record({Shown(tabs->tabText(other)), true}, [&] { tabs->setCurrentIndex(other); });
    }
    platform::SetUi(&scriptedUi());
    return topics;
}

// The heading of a page, as plain text.
std::string Heading(const std::string& html) {
    static const QRegularExpression h1(R"re(<h1>(.*?)</h1>)re",
                                       QRegularExpression::DotMatchesEverythingOption);
    const auto m = h1.match(QString::fromLatin1(html));
    if (!m.hasMatch()) return "<no heading>";
    QString text = m.captured(1).simplified();
    text.replace("&gt;", ">").replace("&lt;", "<").replace("&amp;", "&");
    return text.toStdString();
}

TEST(HelpPages, EveryRecordedTopicHasItsPageAndEveryPageATopic) {
    const std::map<int32_t, std::vector<Recorder>> recorded = RecordedTopics();
    // Start-up records topic 0, the contents.
    ASSERT_GT(recorded.size(), 30u) << "the menu walk recorded too little to be the whole menu";
    const std::map<int32_t, std::string> mapped = TopicMap();
    ASSERT_EQ(mapped.count(0), 1u);
    EXPECT_EQ(mapped.at(0), "index.html");

    platform::QtHelp engine;
    for (const auto& [topic, by] : recorded) {
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

// A command's page names it as the menu spells it: its heading is the menu path ("File > Export >
// Scicards Netlist"), and a tab's page ends its heading with the tab's caption. A caption changed
// in the menus, or a page put under another command's number, shows here.
TEST(HelpPages, EachCommandsPageNamesItAsTheMenuSpellsIt) {
    const std::map<int32_t, std::string> mapped = TopicMap();
    for (const auto& [topic, by] : RecordedTopics()) {
        if (topic == 0 || mapped.count(topic) == 0) continue;  // the contents; a missing page fails above
        const std::string page = mapped.at(topic);
        const std::string heading = Heading(ReadAll(HelpDir("tolvi32.HLP") / page));
        for (const Recorder& r : by) {
            SCOPED_TRACE(::testing::Message()
                         << "topic " << topic << " (" << page << "), recorded by " << r.name);
            if (r.tab) {
                const std::string tail = ": " + r.name;
                EXPECT_TRUE(heading.ends_with(tail)) << heading;
            } else {
                EXPECT_EQ(heading, r.name);
            }
        }
    }
}

// The pages of every shipped help set, by "<set directory>/<file name>" ("QUVTUT.help/index.html").
std::map<std::string, std::string> ShippedPages() {
    std::map<std::string, std::string> pages;
    for (const char* helpFile : kHelpFiles) {
        const fs::path dir = HelpDir(helpFile);
        EXPECT_TRUE(fs::is_directory(dir)) << dir << " is not shipped";
        if (!fs::is_directory(dir)) continue;
        for (const fs::directory_entry& e : fs::directory_iterator(dir))
            if (e.path().extension() == ".html")
                pages[(dir.filename() / e.path().filename()).string()] = ReadAll(e.path());
    }
    return pages;
}

// Every link of every page leads to a shipped page (of its own help set, or the other's contents
// and pages) and to an anchor that page has; nothing reaches outside the shipped help, nothing
// runs, and every page can be reached from the contents. The texts are plain ASCII, the same bytes
// in the single-byte code page of the program's files and in whatever the help window decodes them
// as, and each page names that code page, so that a character of it added later shows as written.
TEST(HelpPages, LinksStayInsideTheShippedHelpAndReachEveryPage) {
    static const QRegularExpression link(R"re(\b(?:href|src)\s*=\s*"([^"]*)")re",
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression anchor(R"re(<a\s+name\s*=\s*"([^"]+)")re",
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression charset(
        R"re(<head>\s*<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">)re");
    const std::map<std::string, std::string> pages = ShippedPages();
    std::map<std::string, std::set<std::string>> anchors;
    std::set<std::string> reached;
    std::vector<std::string> todo;
    for (const char* helpFile : kHelpFiles) {
        const std::string contents = (HelpDir(helpFile).filename() / "index.html").string();
        ASSERT_EQ(pages.count(contents), 1u) << helpFile << " has no contents page";
        reached.insert(contents);
        todo.push_back(contents);
    }
    for (const auto& [name, text] : pages)
        for (auto m = anchor.globalMatch(QString::fromLatin1(text)); m.hasNext();)
            anchors[name].insert(m.next().captured(1).toStdString());

    while (!todo.empty()) {
        const std::string name = todo.back();
        todo.pop_back();
        for (auto m = link.globalMatch(QString::fromLatin1(pages.at(name))); m.hasNext();) {
            const std::string target = m.next().captured(1).toStdString();
            SCOPED_TRACE(::testing::Message() << name << " links to \"" << target << '"');
            const auto hash = target.find('#');
            const std::string page = hash == std::string::npos ? target : target.substr(0, hash);
            const std::string fragment = hash == std::string::npos ? "" : target.substr(hash + 1);
            const std::string into =
                page.empty() ? name : (fs::path(name).parent_path() / page).lexically_normal().string();
            ASSERT_EQ(pages.count(into), 1u) << "no such page in the shipped help";
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
        for (unsigned char c : text) EXPECT_TRUE(c < 0x80 && (c >= 0x20 || c == '\n' || c == '\t')) << int(c);
        EXPECT_TRUE(charset.match(QString::fromLatin1(text)).hasMatch())
            << "the head does not name the code page";
    }
}

// A page that names the code page shows its bytes as that code page's characters, which are not
// those of UTF-8, the help window's guess for a page that names none.
TEST(HelpPages, APageInTheProgramsCodePageShowsAsWritten) {
    test::TempDir dir;
    const fs::path set = fs::path(dir.File("sample.help"));
    fs::create_directory(set);
    std::ofstream(set / "topics.txt") << "1=page.html\n";
    std::ofstream(set / "page.html", std::ios::binary)
        << "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\n"
           "<title>t</title>\n</head>\n<body><p>Caf\xE9 \x80 5\xB5m</p></body>\n</html>\n";
    platform::QtHelp engine;
    const std::string file = dir.File("sample.HLP");
    engine.ShowTopic(file, 1);
    const QString shown = engine.Window(file)->findChild<QTextBrowser*>("HelpPage")->toPlainText().trimmed();
    EXPECT_EQ(shown, QString::fromUtf8("Caf\u00E9 \u20AC 5\u00B5m"));
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
