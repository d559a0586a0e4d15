#pragma once
// A Host that records every call, one line each: "caption: <text>", "notify: <cmd>",
// "publish", "backup: on|off", "inhouse: on|off", "fatal: <code>".
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
