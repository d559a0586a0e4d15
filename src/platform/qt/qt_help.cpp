#include "platform/qt/qt_help.h"

#include <QApplication>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <fstream>

#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/screen.h"

namespace tolvi::platform {

namespace {

std::string TrimBlanks(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// The page named for topic in the directory's topic map; "" when there is none.
std::string TopicPage(const std::string& dir, int32_t topic) {
    std::ifstream in(ResolveFixedName(dir, "topics.txt"), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        line = TrimBlanks(line);
        if (line.empty() || line[0] == ';') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string number = TrimBlanks(line.substr(0, eq));
        bool ok = false;
        const long n = QString::fromStdString(number).toLong(&ok);
        if (ok && n == topic) return TrimBlanks(line.substr(eq + 1));
    }
    return {};
}

// A page inside dir: relative, no way out of the directory.
std::string PagePath(const std::string& dir, const std::string& page) {
    if (page.empty() || page[0] == '/') return {};
    for (const QString& part : QString::fromStdString(page).split('/'))
        if (part == "..") return {};
    const std::string path = ResolveFixedName(dir, page);
    return IsReadableRegularFile(path) ? path : std::string();
}

}  // namespace

QtHelp::~QtHelp() {
    // Widgets cannot outlive the application object; after it has gone they are left alone.
    if (!QCoreApplication::instance()) return;
    for (auto& [dir, w] : windows_)
        if (w) delete w.data();
}

std::string QtHelp::HelpDirectory(const std::string& helpFile) {
    std::string name = FileNamePart(helpFile);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return ResolveFixedName(DirectoryPart(helpFile), name + ".help");
}

QWidget* QtHelp::Window(const std::string& helpFile) const {
    auto it = windows_.find(HelpDirectory(helpFile));
    return it == windows_.end() ? nullptr : it->second.data();
}

QTextBrowser* QtHelp::Open(const std::string& helpFile) {
    const std::string dir = HelpDirectory(helpFile);
    QPointer<QWidget>& slot = windows_[dir];
    if (!slot) {
        auto* w = new QWidget(nullptr, Qt::Window);
        w->setObjectName("HelpWindow");
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setWindowTitle(PathToQString(FileNamePart(helpFile)));
        auto* browser = new QTextBrowser(w);
        browser->setObjectName("HelpPage");
        browser->setOpenLinks(true);
        browser->setSearchPaths({PathToQString(dir)});
        auto* layout = new QVBoxLayout(w);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(browser);
        w->resize(600, 500);
        // Shown with a place of its own: a window mapped without one is left to the window
        // manager, and some (twm) then have the user place it by hand, holding the display until
        // they do. Until the file has a placement the window is centred; a later one moves it.
        if (auto p = placements_.find(dir); p != placements_.end())
            Place(w, p->second);
        else
            PlaceWindow(w, CentredOnScreen());
        slot = w;
    }
    slot->show();
    slot->raise();
    // An open dialog blocks input to every other window, the help window included: help shown
    // while one is open (a topic recorded from inside it) must not cover it.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    } else {
        slot->activateWindow();
    }
    return slot->findChild<QTextBrowser*>("HelpPage");
}

void QtHelp::Place(QWidget* window, const Placement& p) const {
    PlaceWindow(window, InScreenFractions(p.x, p.y, p.width, p.height));
}

void QtHelp::ShowTopic(const std::string& helpFile, int32_t topic) {
    const std::string dir = HelpDirectory(helpFile);
    QTextBrowser* browser = Open(helpFile);
    if (!IsDirectory(dir)) {
        browser->setPlainText(QString("The help file %1 is not available.").arg(PathToQString(helpFile)));
        return;
    }
    const std::string page = PagePath(dir, TopicPage(dir, topic));
    if (page.empty()) {
        browser->setPlainText(
            QString("Topic %1 is not in the help file %2.").arg(topic).arg(PathToQString(helpFile)));
        return;
    }
    browser->setSource(QUrl::fromLocalFile(PathToQString(page)));
}

void QtHelp::Command(const std::string& helpFile, int command, const std::string& data) {
    const std::string dir = HelpDirectory(helpFile);
    switch (command) {
        case kHelpQuit: {
            auto it = windows_.find(dir);
            if (it != windows_.end()) {
                if (it->second) it->second->close();  // deletes itself
                windows_.erase(it);
            }
            return;
        }
        case kHelpIndex: {
            QTextBrowser* browser = Open(helpFile);
            const std::string page = IsDirectory(dir) ? PagePath(dir, "index.html") : std::string();
            if (page.empty())
                browser->setPlainText(
                    QString("The help file %1 has no contents page.").arg(PathToQString(helpFile)));
            else
                browser->setSource(QUrl::fromLocalFile(PathToQString(page)));
            return;
        }
        case kHelpCommand: {
            static const QRegularExpression positionWindow(
                R"re(^\s*(?:PositionWindow|PW)\s*\(\s*(-?\d+)\s*,\s*(-?\d+)\s*,\s*(-?\d+)\s*,\s*(-?\d+)\s*,)re"
                R"re(\s*-?\d+\s*,\s*"([^"]*)"\s*\)\s*$)re",
                QRegularExpression::CaseInsensitiveOption);
            const auto m = positionWindow.match(QString::fromStdString(data));
            if (!m.hasMatch() || m.captured(5).compare("main", Qt::CaseInsensitive) != 0) return;
            const Placement p{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                              m.captured(4).toInt()};
            placements_[dir] = p;
            if (QWidget* w = Window(helpFile)) Place(w, p);
            return;
        }
        default:
            return;
    }
}

}  // namespace tolvi::platform
