#include "support/setup_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMetaObject>
#include <QTest>
#include <QWidget>
#include <fstream>
#include <sstream>

#include "common/colour_settings.h"
#include "common/formats.h"
#include "common/general_settings.h"
#include "common/grid_settings.h"
#include "common/layer_settings.h"
#include "common/library_lists.h"
#include "common/packaging.h"
#include "common/quvinpbg.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "kernel/kernel.h"
#include "platform/qt/codec.h"
#include "platform/qt/file_lists.h"
#include "support/scripted_ui.h"

namespace tolvi::test {

namespace {
std::string FixtureFile(const std::string& name) {
    std::ifstream in(std::string(TOLVI_TEST_DATA) + "/setup/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

void SetupFixture::ResetStores() {
    QLocale::setDefault(QLocale::c());  // numbers shown with "."; a test may choose another locale
    SetOptionScope(OptionScope::Default);
    gIniFile = dir.Write("TOLVI32.INI", FixtureFile("TOLVI32.INI"));
    dir.Write("STD.APT", FixtureFile("STD.APT"));
    int err = 0;
    IniPutString("Tolvi32", "SysDir", dir.path(), err);
    if (DB_DataBase()) DB_DiscardDataBase();
    ASSERT_NE(DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE"), 0);
    LoadPalette();
    LoadAllOptionSets();
    // Read at start-up, outside the option sets.
    LoadBackupSettings();
    LoadStartupApps();
}

void SetupFixture::UseCurrentScope() {
    SetOptionScope(OptionScope::Current);
    SaveAllOptionSets();
}

void AnswerInput(std::optional<std::string> text, std::string* label, std::string* offered) {
    scriptedUi().QueueModal("QuvInpBG", [text = std::move(text), label, offered](QWidget* form) {
        auto* box = static_cast<QuvInpBG*>(form);
        if (label) *label = platform::FromQString(box->InpPrompt->text());
        if (offered) *offered = platform::FromQString(box->InpText->text());
        if (!text) {
            box->InpCancel_Click();
            return;
        }
        box->InpText->setText(platform::ToQString(*text));
        box->InpOK_Click();
    });
}

void SetupFixture::LoadAndShow(QWidget* form) {
    QMetaObject::invokeMethod(form, "Form_Load", Qt::DirectConnection);
    form->show();
    // Active, so that the focus moves between its controls as a user moves it.
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form));
}

void SetupFixture::ShowScripted(QWidget* form, std::function<void(QWidget*)> script, int32_t AddModeSuffix) {
    scriptedUi().QueueModal(form->objectName().toStdString(), [script = std::move(script)](QWidget* w) {
        w->activateWindow();  // the focus moves between the controls as a user moves it
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        script(w);
    });
    ShowOptionForm(form, AddModeSuffix);
    scriptedUi().Verify();
}

std::string IniValue(const std::string& section, const std::string& key) {
    std::string v;
    IniGetString(section, key, "(missing)", v);
    return v;
}

std::vector<float> IniFields(const std::string& section, const std::string& key) {
    ParseList(IniValue(section, key));
    return std::vector<float>(gTokNum.begin() + 1, gTokNum.end());
}

void TypeInto(QLineEdit* box, const std::string& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, platform::ToQString(text));
}

void EnterInto(QLineEdit* box, const std::string& text) {
    TypeInto(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

void ClickFile(platform::FileList& files, const std::string& name) {
    for (int i = 0; i < files.count(); ++i) {
        if (files.fileName(i) == name) {
            files.setListIndex(i);
            return;
        }
    }
    ADD_FAILURE() << name << " is not listed";
}

std::string OptionTables() {
    std::ostringstream o;
    for (const TextSizeRec& t : gTextSizes) o << t.Width << ',' << t.Height << ',' << t.LineWidth << ';';
    for (const auto& row : gCondSizes) o << row[0] << ',' << row[1] << ',' << row[2] << ';';
    for (int32_t w : gLineWidths) o << w << ',';
    o << gBusWidth << ',' << gWireWidth << '\n';
    for (const LayerRec& l : gLayers) o << l.Name << '|' << l.Enabled << '|' << l.Colour << ';';
    for (const auto* cats : {&gSchCategories, &gLayCategories})
        for (const CategoryRec& c : *cats) o << c.Name << '|' << c.Id << '|' << c.Colour << ';';
    o << gSchBackColor << ',' << gLayBackColor << '\n';
    const auto put = [&](const auto& table) {
        for (int32_t v : table) o << v << ',';
        o << ';';
    };
    put(gSchGrid), put(gSchSnap), put(gSchPrecision), put(gLayGrid), put(gLaySnap), put(gLayPrecision);
    put(gAngleSnap), put(gPickArea);
    o << '\n';
    // The sets that live in the settings file only.
    o << gLibDir << '|' << gJobDir << '|' << gSysDir << '|' << gZot3JobDir << '\n';
    o << gBackupInt << ',' << gBackupOn << ';';
    put(gAppsStart), put(gAppsMin);
    for (const FormatTable* formats : {&gBoardFormats, &gPageFormats})
        for (const auto& unit : *formats)
            for (const FormatRec& f : unit) o << f.Name << '|' << f.W << '|' << f.H << ';';
    put(gPrefCompName), put(gPrefPinout), put(gPrefDescription);
    for (const auto* list : {&gDevLibs, &gSchLibs, &gLayLibs}) {
        for (const std::string& lib : *list) o << lib << '|';
        o << ';';
    }
    o << gPadstackLib << ';' << gAperFile;
    return o.str();
}

}  // namespace tolvi::test
