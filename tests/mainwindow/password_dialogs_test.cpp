#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "common/db_session.h"
#include "common/option_store.h"
#include "common/utilities.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/db_fixture.h"
#include "mainwindow/optninfo.h"
#include "mainwindow/optninpt.h"
#include "platform/qt/codec.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::scriptedUi;

// Replaces the box's text by keystrokes, as the designer would type it.
void Type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &erase);
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(box, &press);
    }
}

void PressEnter(QLineEdit* box) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &press);
}

void LeaveBox(QLineEdit* box) {
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(box, &out);
}

class PasswordDialogsTest : public test::DbFixture {
protected:
    // The stored label after it has been read back from the database.
    static DbLabelRec Stored() {
        const DbLabelRec kept = gDbLabel;
        ReadDbLabel();
        DbLabelRec stored = gDbLabel;
        gDbLabel = kept;
        return stored;
    }
    // Shows the info dialog as the menu does and lets script act on it.
    static void ShowInfo(std::function<void(OPTNINFO*)> script) {
        scriptedUi().QueueModal(
            "OPTNINFO", [script = std::move(script)](QWidget* f) { script(static_cast<OPTNINFO*>(f)); });
        QWidget* form = new OPTNINFO;
        ShowOptionForm(form, 0);
    }
};

TEST_F(PasswordDialogsTest, PasswordEntry) {
    gDbName = "board";
    gDbLabel.Designer = "   Ann";
    SetOptionScope(OptionScope::Current);
    std::string caption, dbase, designer;
    scriptedUi().QueueModal("OPTNINPT", [&](QWidget* f) {
        auto* form = static_cast<OPTNINPT*>(f);
        caption = platform::FromQString(form->windowTitle());
        dbase = platform::FromQString(form->F_Dbase->text());
        designer = platform::FromQString(form->F_Des->text());
        Type(form->F_Password, "  pw  ");
        PressEnter(form->F_Password);
    });
    QWidget* form = new OPTNINPT;
    ShowOptionForm(form, -1);
    EXPECT_EQ(gPasswordEntry, "pw");
    // The dialog's own caption replaces the scope suffix.
    EXPECT_EQ(caption, "Tolvi32 - Database Info");
    EXPECT_EQ(dbase, "Database: board ");
    EXPECT_EQ(designer, "Ann");

    scriptedUi().QueueModal("OPTNINPT", [](QWidget* f) {
        auto* form = static_cast<OPTNINPT*>(f);
        Type(form->F_Password, "typed");
        form->F_Cancel_Click();
    });
    form = new OPTNINPT;
    ShowOptionForm(form, -1);
    EXPECT_EQ(gPasswordEntry, "");
}

TEST_F(PasswordDialogsTest, ParsedPassword) {
    const std::pair<const char*, const char*> cases[] = {
        {"abcdefghij", "abcdefgh"}, {"ab cd", "ab"}, {" ab", ""}, {"", ""}, {"abcdefg h", "abcdefg"},
    };
    OPTNINFO form;
    form.Form_Load();
    for (const auto& [typed, parsed] : cases) {
        Type(form.F_Password, typed);
        PressEnter(form.F_Password);
        EXPECT_EQ(form.EditedPassword(), parsed) << typed;
        EXPECT_EQ(platform::FromQString(form.F_Password->text()), parsed) << typed;
    }
}

TEST_F(PasswordDialogsTest, AcceptWritesTheLabel) {
    struct Case {
        const char* name;
        bool checked;
        const char* typed;
        int32_t passSet;
        const char* password;
    };
    const Case cases[] = {
        {"set", true, "secret", -1, "secret  "},
        {"checked but empty", true, "", 0, "        "},
        {"unchecked", false, "secret", 0, "        "},
    };
    for (const Case& c : cases) {
        gDbLabel.PassSet = -1;
        gDbLabel.Password = "old";
        WriteDbLabel();
        ShowInfo([&c](OPTNINFO* form) {
            form->F_PassSet->setChecked(c.checked);
            Type(form->F_Password, c.typed);
            LeaveBox(form->F_Password);
            form->F_Accept_Click();
        });
        const DbLabelRec stored = Stored();
        EXPECT_EQ(stored.PassSet, c.passSet) << c.name;
        EXPECT_EQ(stored.Password, c.password) << c.name;
    }
}

TEST_F(PasswordDialogsTest, AcceptTakesAnEditStillInItsBox) {
    // 30 characters of the code page's upper half: cut to 25 bytes.
    const QString longName = QString(30, QChar(0xE9));
    ShowInfo([&](OPTNINFO* form) {
        Type(form->F_Des, longName);
        Type(form->F_Rev, "B");
        form->F_Accept_Click();  // no box has been left
    });
    const DbLabelRec stored = Stored();
    EXPECT_EQ(stored.Designer, std::string(25, '\xE9'));
    EXPECT_EQ(RTrim(stored.Revision), "B");
}

TEST_F(PasswordDialogsTest, CancelRestoresTheStoredLabel) {
    gDbLabel.Designer = "Ann";
    WriteDbLabel();
    ShowInfo([](OPTNINFO* form) {
        Type(form->F_Des, "Bob");
        LeaveBox(form->F_Des);
        EXPECT_EQ(RTrim(gDbLabel.Designer), "Bob");
        Type(form->F_Des, "Carl");  // not parsed yet when Cancel comes
        form->F_Cancel_Click();
        LeaveBox(form->F_Des);
    });
    EXPECT_EQ(RTrim(gDbLabel.Designer), "Ann");
    EXPECT_EQ(RTrim(Stored().Designer), "Ann");
}

}  // namespace
}  // namespace tolvi
