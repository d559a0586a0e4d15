#pragma once
// What the setup dialog tests share: the fixture settings file and aperture table (tests/data/
// setup) copied into a fresh directory that is also the system directory, an empty database with
// its palette, and every option set loaded in Default scope. Helpers answer the input box, load
// a form as ShowOptionForm would, and take a snapshot of the option tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/option_store.h"
#include "support/temp_dir.h"

class QLineEdit;
class QWidget;

namespace tolvi::platform {
class FileList;
}

namespace tolvi::test {

class SetupFixture : public ::testing::Test {
protected:
    TempDir dir;

    void SetUp() override { ResetStores(); }
    // The fixture's settings file and a new empty database, every option set loaded from them
    // in Default scope.
    void ResetStores();

    // Stores the Default sets into the open database and switches to Current scope.
    static void UseCurrentScope();
    // A new form, loaded (Form_Load) and shown as ShowOptionForm would show it.
    template <typename Form>
    static std::unique_ptr<Form> Shown() {
        auto form = std::make_unique<Form>();
        LoadAndShow(form.get());
        return form;
    }
    static void LoadAndShow(QWidget* form);
    // Shows form through ShowOptionForm (with the scope suffix when AddModeSuffix is not 0);
    // script stands in for the user in the active window and ends the dialog.
    static void ShowScripted(QWidget* form, std::function<void(QWidget*)> script, int32_t AddModeSuffix = 0);
    template <typename Form>
    static void ShowScripted(std::function<void(Form&)> script, int32_t AddModeSuffix = 0) {
        ShowScripted(
            new Form, [script](QWidget* w) { script(*static_cast<Form*>(w)); }, AddModeSuffix);
    }
};

// The value of a settings-file key, "(missing)" when there is none, and its fields as numbers.
std::string IniValue(const std::string& section, const std::string& key);
std::vector<float> IniFields(const std::string& section, const std::string& key);

// The next input box is answered with text (typed, then Accept) or cancelled (nullopt); what it
// showed (heading and prompt, and the default answer) goes to label and offered when given.
void AnswerInput(std::optional<std::string> text, std::string* label = nullptr,
                 std::string* offered = nullptr);

// Replaces the text of box (given the focus) by typing text into it, as a user does; nothing is
// committed yet.
void TypeInto(QLineEdit* box, const std::string& text);
// Types text into box as TypeInto does, then presses Enter.
void EnterInto(QLineEdit* box, const std::string& text);

// Selects the listed file of that name as a click on it does; a failure when none is listed.
void ClickFile(platform::FileList& files, const std::string& name);

// Every table the setup dialogs edit, as one text: the per-database sets, then the sets kept in
// the settings file only (library lists, padstack library, aperture table name).
std::string OptionTables();

}  // namespace tolvi::test
