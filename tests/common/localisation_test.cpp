#include "common/localisation.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "common/utilities.h"
#include "platform/ui_font.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

// A local texts table written into a temporary program directory, under a name whose case
// differs from the fixed name.
class LocalTexts : public ::testing::Test {
protected:
    test::TempDir dir;
    void Open(const std::string& content) {
        dir.Write("QuvLocal32.txt", content);
        std::string path = "  " + dir.path() + " ";
        OpenLocalTexts(path);
        EXPECT_EQ(path, dir.File("QuvLocal32.txt"));
    }
};

TEST_F(LocalTexts, KeepsTheBlanksOfTheDefault) {
    Open(
        "; comment\r\n"
        "# 100=comment too\r\n"
        "100=  Datenbank speichern  \r\n"
        "101=x\r\n"
        "102=   \r\n"
        "103=First\r\n"
        "103=Second\r\n"
        "104=Zwei  Worte\r\n");
    struct Case {
        const char* def;
        const char* id;
        const char* want;
    };
    const Case cases[] = {
        {"Save Database: ", "100", "Datenbank speichern "},
        {" will be cleared.", "100", " Datenbank speichern"},
        {"", "100", "Datenbank speichern"},
        {"", "999", ""},
        {"   ", "101", "   x   "},
        {"  a   ", "102", "     "},     // a text of blanks leaves only the default's blanks
        {" keep  ", "999", " keep  "},  // no text: the default unchanged
        {"\tx\t", "101", "x"},          // tabs are not blanks
        {"d", "104", "Zwei  Worte"},
        {"d", "103", "First"},  // the first entry of an id wins
        {"d", " 101 ", "x"},
        {"d", "101abc", "x"},
        {"d", "100.6", "x"},  // rounded to the nearest id
        {"d", "", "d"},       // looked up as id 0, which has no text
        {"d", "abc", "d"},
        {"d", "99999999999", "d"},
    };
    for (const Case& c : cases) EXPECT_EQ(GetLocalString(c.def, c.id), c.want) << c.def << "/" << c.id;

    CloseLocalTexts();
    EXPECT_EQ(GetLocalString("Save Database: ", "100"), "Save Database: ");
}

TEST_F(LocalTexts, MissingTableGivesEveryDefault) {
    std::string path = dir.path();
    OpenLocalTexts(path);
    EXPECT_EQ(path, dir.File("QUVLOCAL32.TXT"));
    EXPECT_EQ(GetLocalString(" Save ", "100"), " Save ");
}

TEST_F(LocalTexts, LocalizeFormSetsTaggedCaptionsAndTheFont) {
    Open("200=Titel\n201=  Beschriftung \n202=Datei\n");
    gUiFont = "DejaVu Sans";
    gUiFontSize = 8;

    QDialog form;
    form.setWindowTitle("Title");
    form.setProperty("tag", "200");
    auto* label = new QLabel("Label", &form);
    label->setProperty("tag", "201");
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    auto* button = new QPushButton("Button", &form);  // no tag: keeps its caption
    auto* check = new QCheckBox("Check", &form);
    check->setProperty("tag", "999");  // no text for the id
    auto* menu = new QMenu("Menu", &form);
    QAction* action = menu->addAction("File");
    action->setProperty("tag", "202");

    LocalizeForm(&form);

    EXPECT_EQ(form.windowTitle().toStdString(), "Titel");
    EXPECT_EQ(label->text().toStdString(), "Beschriftung");
    EXPECT_EQ(button->text().toStdString(), "Button");
    EXPECT_EQ(check->text().toStdString(), "Check");
    EXPECT_EQ(action->text().toStdString(), "Datei");
    for (QWidget* w : std::vector<QWidget*>{label, button, check}) {
        EXPECT_EQ(w->font().family().toStdString(), "DejaVu Sans") << w->metaObject()->className();
        EXPECT_EQ(w->font().pointSize(), 8) << w->metaObject()->className();
        EXPECT_FALSE(w->font().bold()) << w->metaObject()->className();
    }
}

TEST_F(LocalTexts, LocalizeFormWithoutTagKeepsTheCaption) {
    Open("200=Titel\n");
    QDialog form;
    form.setWindowTitle("Title");
    LocalizeForm(&form);
    EXPECT_EQ(form.windowTitle().toStdString(), "Title");
}

class FakeCatalogue : public platform::FontCatalogue {
public:
    int lcid = 0x0409;
    int charset = 0;
    std::vector<std::string> families;
    std::string defaultFace = "Default Face";
    int SystemLocaleId() const override { return lcid; }
    int UserCharset() const override { return charset; }
    std::vector<std::string> Families() const override { return families; }
    std::string DefaultFace() const override { return defaultFace; }
};

class UiFont : public ::testing::Test {
protected:
    FakeCatalogue catalogue;
    void SetUp() override { platform::SetFontCatalogue(&catalogue); }
    void TearDown() override { platform::SetFontCatalogue(nullptr); }
};

TEST_F(UiFont, ChoiceFollowsTheSystemLocale) {
    const std::string mingliu = "\xE6\x96\xB0\xE7\xB4\xB0\xE6\x98\x8E\xE9\xAB\x94";
    const std::string simsun = "\xE5\xAE\x8B\xE4\xBD\x93";
    const std::string msPGothic =
        "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";
    const std::string gulim = "\xEA\xB5\xB4\xEB\xA6\xBC";
    struct Case {
        int lcid;
        int userCharset;
        std::vector<std::string> families;
        std::string face;
        int size;
        int charset;
    };
    const std::vector<Case> cases = {
        {0x0404, 0, {}, mingliu, 9, 136},
        {0x0804, 0, {"Arial"}, simsun, 9, 134},
        {0x0C04, 0, {"Arial"}, "", 0, 0},  // other Chinese: no face
        {0x0411, 0, {}, msPGothic, 9, 128},
        {0x0811, 0, {}, msPGothic, 9, 128},   // any sublanguage
        {0x30411, 0, {}, msPGothic, 9, 128},  // only the low 16 bits count
        {0x0412, 0, {}, gulim, 9, 129},
        {0x0812, 0, {}, gulim, 9, 129},
        {0x0C12, 0, {}, "", 9, 129},
        {0x0409, 0, {"DejaVu Sans", "ms sans serif", "Arial"}, "ms sans serif", 8, 0},  // the listed spelling
        {0x0407, 0, {"DejaVu Sans", "ARIAL", "System"}, "ARIAL", 8, 0},
        {0x0419, 204, {"System"}, "System", 8, 204},
        {0x0409, 0, {"DejaVu Sans", "Arial Black"}, "Default Face", 8, 0},
    };
    for (const Case& c : cases) {
        catalogue.lcid = c.lcid;
        catalogue.charset = c.userCharset;
        catalogue.families = c.families;
        SelectUiFont();
        EXPECT_EQ(gUiFont, c.face) << std::hex << c.lcid;
        EXPECT_EQ(gUiFontSize, c.size) << std::hex << c.lcid;
        EXPECT_EQ(gUiCharset, c.charset) << std::hex << c.lcid;
    }
}

TEST_F(UiFont, LanguageIdsAndFontLookup) {
    EXPECT_EQ(PrimaryLangId(0x0804), 4);
    EXPECT_EQ(SubLangId(0x0804), 2);
    EXPECT_EQ(PrimaryLangId(0xFFFF), 0x3FF);
    EXPECT_EQ(SubLangId(0xFFFF), 0x3F);
    catalogue.families = {"Liberation Sans"};
    std::string name = "LIBERATION SANS";
    EXPECT_TRUE(FontExists(name));
    EXPECT_EQ(name, "Liberation Sans");
    name = "Liberation";
    EXPECT_FALSE(FontExists(name));
    EXPECT_EQ(name, "Liberation");
    catalogue.charset = 238;
    EXPECT_EQ(GetUserCharset(), 238);
}

}  // namespace
}  // namespace tolvi
