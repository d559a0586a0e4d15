#pragma once
// A help engine that records every call, one line each: "topic: <file> | <topic>" and
// "command: <file> | <code> | <data>".
#include <string>
#include <vector>

#include "platform/help.h"

namespace tolvi::test {

class RecordingHelp : public platform::Help {
public:
    std::vector<std::string> calls;

    void ShowTopic(const std::string& helpFile, int32_t topic) override {
        calls.push_back("topic: " + helpFile + " | " + std::to_string(topic));
    }
    void Command(const std::string& helpFile, int command, const std::string& data) override {
        calls.push_back("command: " + helpFile + " | " + std::to_string(command) + " | " + data);
    }
    void Reset() { calls.clear(); }
};

// The instance that ResetAllState installs before every test.
RecordingHelp& recordingHelp();

}  // namespace tolvi::test
