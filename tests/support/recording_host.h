#pragma once
// A Host that records every call, one line each: "caption: <text>", "notify: <cmd>",
// "publish", "backup: on|off", "inhouse: on|off", "recent: <path>|<path>|<path>|<path>[ -]",
// "scope: default|current", "fatal: <code>".
#include <array>
#include <string>
#include <vector>

#include "common/host.h"

namespace tolvi::test {

class RecordingHost : public Host {
public:
    std::vector<std::string> calls;
    std::string caption;
    bool backupTimer = false;
    bool inHouseMenu = false;
    int fatalCode = 0;
    bool fatal = false;
    std::array<std::string, 4> recentFiles;
    bool recentSeparator = false;
    bool scopeCurrent = false;

    void SetCaption(const std::string& c) override {
        caption = c;
        calls.push_back("caption: " + c);
    }
    void NotifyAll(const std::string& cmd) override { calls.push_back("notify: " + cmd); }
    void PublishMainState() override { calls.push_back("publish"); }
    void SetBackupTimer(bool on) override {
        backupTimer = on;
        calls.push_back(on ? "backup: on" : "backup: off");
    }
    void ShowInHouseMenu(bool v) override {
        inHouseMenu = v;
        calls.push_back(v ? "inhouse: on" : "inhouse: off");
    }
    void DrawRecentFiles(const std::array<std::string, 4>& paths, bool separator) override {
        recentFiles = paths;
        recentSeparator = separator;
        calls.push_back("recent: " + paths[0] + "|" + paths[1] + "|" + paths[2] + "|" + paths[3] +
                        (separator ? " -" : ""));
    }
    void MarkOptionScope(bool current) override {
        scopeCurrent = current;
        calls.push_back(current ? "scope: current" : "scope: default");
    }
    void FatalExit(int code) override {
        fatal = true;
        fatalCode = code;
        calls.push_back("fatal: " + std::to_string(code));
    }
    void Reset() { *this = RecordingHost(); }
};

// The instance that ResetAllState installs before every test.
RecordingHost& recordingHost();

}  // namespace tolvi::test
