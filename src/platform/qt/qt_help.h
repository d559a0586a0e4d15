#pragma once
// The help engine on Qt widgets: one help window (a text browser) per help file.
//
// Help is written as a directory of HTML pages that stands beside the help file name the program
// uses (no file of that name need exist). For the help file "<dir>/<name>.<ext>" (e.g. "<dir>/tolvi32.HLP")
// the engine reads the directory "<dir>/<name>.help/", every name found regardless of case:
//   topics.txt  the topic map, one line per topic: "<topic number>=<page>", e.g. "1066=open.html";
//               blanks around either side are ignored, as are blank lines, lines starting with ";"
//               and lines that do not parse; a page is a file name relative to the directory.
//   index.html  the contents page, shown by the index command.
//   the pages themselves, which may link to each other and to images in the directory.
// A missing directory, topic or page is said in the help window, as a help engine would.
//
// The PositionWindow(x, y, width, height, state, "main") macro places the file's window, its
// frame in 1/1024 of the screen, kept on the part of the screen windows may take (a width of
// 1025 is the screen's width); a window opened later takes the last placement given for its
// file, and one opened before any is given is centred on the screen. The state and any window
// name other than "main" are ignored.
#include <QPointer>
#include <QWidget>
#include <map>
#include <string>

#include "platform/help.h"

class QTextBrowser;

namespace tolvi::platform {

class QtHelp : public Help {
public:
    ~QtHelp() override;
    void ShowTopic(const std::string& helpFile, int32_t topic) override;
    void Command(const std::string& helpFile, int command, const std::string& data) override;

    // The open help window of helpFile, or nullptr (objectName "HelpWindow", its browser
    // "HelpPage").
    QWidget* Window(const std::string& helpFile) const;

    // The directory that stands for helpFile ("<dir>/<name>.help", found regardless of case).
    static std::string HelpDirectory(const std::string& helpFile);

private:
    struct Placement {
        int x = 0, y = 0, width = 0, height = 0;  // 1/1024 of the screen
    };
    QTextBrowser* Open(const std::string& helpFile);
    void Place(QWidget* window, const Placement& p) const;

    std::map<std::string, QPointer<QWidget>> windows_;  // by help directory
    std::map<std::string, Placement> placements_;       // by help directory
};

}  // namespace tolvi::platform
