#pragma once
// The Ui service of the tests: answers come from queues, everything shown is recorded, and a
// box, dialog or form nobody expected fails the running test, as does an answer left unused
// when the test ends (ResetAllState checks that before the next test, Verify() at any time).
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui.h"

namespace tolvi::test {

class ScriptedUi : public platform::Ui {
public:
    struct Box {
        std::string text;
        std::string title;
        int style = 0;
    };
    struct Input {
        std::string prompt;
        std::string title;
        std::string value;
    };

    // --- what the test says will happen ---
    void QueueAnswer(int answer);                       // next MsgBox answer
    void QueueInput(std::optional<std::string> value);  // next InputBox result
    void QueueFile(std::optional<std::string> path);    // next FileDialog result
    // Runs script instead of a modal loop when a form whose objectName is formName is shown
    // modally; the script acts on the form (types, clicks Accept or Cancel) and must leave it
    // hidden or closed. One script per showing, in order.
    void QueueModal(const std::string& formName, std::function<void(QWidget*)> script);

    // --- what happened ---
    std::vector<Box> boxes;     // every MsgBox, in order
    std::vector<Input> inputs;  // every InputBox
    std::vector<platform::FileDialogRequest> fileDialogs;
    std::vector<std::string> modalForms;  // objectName of every modal showing
    std::vector<std::string> modelessForms;
    std::vector<bool> pointerChanges;  // every SetBusyPointer call
    int beeps = 0;
    int doEvents = 0;
    // One line per event, in order: "box: <title> | <text> | <style>", "beep", "pointer: busy",
    // "pointer: normal", "input: <prompt>", "file: <title>", "modal: <name>", "modeless: <name>".
    std::vector<std::string> transcript;

    // Fails the running test for every queued answer or script nobody used; clears the queues.
    void Verify();
    // Forgets everything (queues and records).
    void Reset();

    // --- platform::Ui ---
    int MsgBox(const std::string& text, int style, const std::string& title) override;
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& value) override;
    std::optional<std::string> FileDialog(const platform::FileDialogRequest& request) override;
    void Beep() override;
    void SetBusyPointer(bool busy) override;
    bool BusyPointer() const override { return busy_; }
    void ShowModal(QWidget* form) override;
    void ShowModeless(QWidget* form) override;
    void DoEvents() override;

private:
    std::deque<int> answers_;
    std::deque<std::optional<std::string>> inputAnswers_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::deque<std::pair<std::string, std::function<void(QWidget*)>>> modalScripts_;
    bool busy_ = false;
};

// The instance that ResetAllState installs before every test.
ScriptedUi& scriptedUi();

}  // namespace tolvi::test
