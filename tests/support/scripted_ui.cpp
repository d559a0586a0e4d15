#include "support/scripted_ui.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace tolvi::test {

namespace {
std::string FormName(const QWidget* form) {
    return form ? form->objectName().toStdString() : std::string("<null>");
}
}  // namespace

void ScriptedUi::QueueAnswer(int answer) { answers_.push_back(answer); }
void ScriptedUi::QueueInput(std::optional<std::string> value) { inputAnswers_.push_back(std::move(value)); }
void ScriptedUi::QueueFile(std::optional<std::string> path) { fileAnswers_.push_back(std::move(path)); }
void ScriptedUi::QueueModal(const std::string& formName, std::function<void(QWidget*)> script) {
    modalScripts_.emplace_back(formName, std::move(script));
}

void ScriptedUi::Verify() {
    for (int a : answers_) ADD_FAILURE() << "scripted Ui: message box answer " << a << " was never used";
    for (const auto& v : inputAnswers_)
        ADD_FAILURE() << "scripted Ui: input box answer \"" << v.value_or("<cancel>") << "\" was never used";
    for (const auto& v : fileAnswers_)
        ADD_FAILURE() << "scripted Ui: file dialog answer \"" << v.value_or("<cancel>")
                      << "\" was never used";
    for (const auto& s : modalScripts_)
        ADD_FAILURE() << "scripted Ui: the script for modal form " << s.first << " was never run";
    answers_.clear();
    inputAnswers_.clear();
    fileAnswers_.clear();
    modalScripts_.clear();
}

void ScriptedUi::Reset() {
    answers_.clear();
    inputAnswers_.clear();
    fileAnswers_.clear();
    modalScripts_.clear();
    boxes.clear();
    inputs.clear();
    fileDialogs.clear();
    modalForms.clear();
    modelessForms.clear();
    pointerChanges.clear();
    transcript.clear();
    beeps = 0;
    doEvents = 0;
    busy_ = false;
}

int ScriptedUi::MsgBox(const std::string& text, int style, const std::string& title) {
    boxes.push_back({text, title, style});
    transcript.push_back("box: " + title + " | " + text + " | " + std::to_string(style));
    if (answers_.empty()) {
        ADD_FAILURE() << "scripted Ui: unexpected message box \"" << text << "\" (title \"" << title
                      << "\", style " << style << ")";
        return platform::DefaultAnswer(style);
    }
    int a = answers_.front();
    answers_.pop_front();
    return a;
}

std::optional<std::string> ScriptedUi::InputBox(const std::string& prompt, const std::string& title,
                                                const std::string& value) {
    inputs.push_back({prompt, title, value});
    transcript.push_back("input: " + prompt);
    if (inputAnswers_.empty()) {
        ADD_FAILURE() << "scripted Ui: unexpected input box \"" << prompt << "\" (title \"" << title << "\")";
        return std::nullopt;
    }
    auto a = std::move(inputAnswers_.front());
    inputAnswers_.pop_front();
    return a;
}

std::optional<std::string> ScriptedUi::FileDialog(const platform::FileDialogRequest& request) {
    fileDialogs.push_back(request);
    transcript.push_back("file: " + request.title);
    if (fileAnswers_.empty()) {
        ADD_FAILURE() << "scripted Ui: unexpected file dialog \"" << request.title << "\"";
        return std::nullopt;
    }
    auto a = std::move(fileAnswers_.front());
    fileAnswers_.pop_front();
    return a;
}

void ScriptedUi::Beep() {
    ++beeps;
    transcript.push_back("beep");
}

void ScriptedUi::SetBusyPointer(bool busy) {
    busy_ = busy;
    pointerChanges.push_back(busy);
    transcript.push_back(busy ? "pointer: busy" : "pointer: normal");
}

void ScriptedUi::ShowModal(QWidget* form) {
    const std::string name = FormName(form);
    modalForms.push_back(name);
    transcript.push_back("modal: " + name);
    if (modalScripts_.empty()) {
        ADD_FAILURE() << "scripted Ui: unexpected modal form " << name;
        if (form) form->hide();
        return;
    }
    if (modalScripts_.front().first != name) {
        ADD_FAILURE() << "scripted Ui: modal form " << name << " shown, but the next script is for "
                      << modalScripts_.front().first;
        if (form) form->hide();
        return;
    }
    auto script = std::move(modalScripts_.front().second);
    modalScripts_.pop_front();
    if (!form) return;
    // Shown for real (offscreen), so show events and focus behave as in the program; the script
    // stands in for the user during the modal loop.
    form->show();
    if (script) script(form);
    if (form->isVisible()) {
        ADD_FAILURE() << "scripted Ui: the script left modal form " << name << " open";
        form->hide();
    }
}

void ScriptedUi::ShowModeless(QWidget* form) {
    const std::string name = FormName(form);
    modelessForms.push_back(name);
    transcript.push_back("modeless: " + name);
    if (form) form->show();
}

void ScriptedUi::DoEvents() { ++doEvents; }

ScriptedUi& scriptedUi() {
    static ScriptedUi instance;
    return instance;
}

}  // namespace tolvi::test
