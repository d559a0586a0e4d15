#include "setup/optnpack.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/context_help.h"
#include "common/dialog_state.h"
#include "common/general_settings.h"
#include "common/option_store.h"
#include "common/packaging.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "kernel/kernel.h"
#include "platform/qt/codec.h"
#include "support/recording_help.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::scriptedUi;

TEST(PackagingSizes, ListItemsShowInchAndMm) {
    EXPECT_EQ(TextSizeItem(52917, '.'), "0.1250\"/3.175mm");
    EXPECT_EQ(TextSizeItem(42333, '.'), "0.1000\"/2.540mm");
    EXPECT_EQ(TextSizeItem(42333, ','), "0,1000\"/2,540mm");
    EXPECT_EQ(TextSizeItem(0, '.'), "0.0000\"/0.000mm");
}

class Packaging : public test::SetupFixture {
protected:
    static void Put(const char* key, const char* value) {
        int err = 0;
        IniPutString("PACKAGING", key, value, err);
    }
    static std::vector<float> Fields(const char* key) { return test::IniFields("PACKAGING", key); }
    static void Show(std::function<void(OPTNPACK&)> script) { ShowScripted<OPTNPACK>(std::move(script)); }
};

TEST_F(Packaging, OpensOnTheStoredChoicesAndAcceptWritesAllTwentyFields) {
    Put("PREFCOMPNAME", "1,1,5,1");
    Put("PREFPINOUT", "1,1,1,7,1,2");
    Put("PREFDESCRIPTION", "1,1,9,0,1,1,0,1,0,0");
    LoadPackagingPrefs();
    Show([](OPTNPACK& f) {
        EXPECT_EQ(f.mstCompPackage->currentIndex(), 0);
        EXPECT_EQ(f.mstCompPackage->tabText(1), "&Pinout");
        EXPECT_TRUE(f.F_IniCnameOnOff->isChecked());
        EXPECT_TRUE(f.F_IniCnameTsType[1]->isChecked());
        EXPECT_TRUE(f.F_IniCnameTloc[1]->isChecked());
        EXPECT_TRUE(f.F_IniPinoutOverride[1]->isChecked());
        EXPECT_TRUE(f.F_IniPinoutCont[2]->isChecked());
        EXPECT_TRUE(f.F_IniDescrCont[3]->isChecked());
        EXPECT_FALSE(f.F_IniDescrCont[2]->isChecked());
        // The combo lists select the stored sizes; filling them took none of their first items.
        EXPECT_EQ(f.F_Tsizes[0]->currentIndex(), 4);
        EXPECT_EQ(f.F_Tsizes[1]->currentIndex(), 6);
        EXPECT_EQ(f.F_Tsizes[2]->currentIndex(), 8);
        EXPECT_EQ(f.F_Tsizes[0]->count(), 15);
        f.F_Accept->click();
    });
    EXPECT_EQ(gDlgAccepted, -1);
    EXPECT_EQ(Fields("PREFCOMPNAME"), (std::vector<float>{1, 1, 5, 1}));
    EXPECT_EQ(Fields("PREFPINOUT"), (std::vector<float>{1, 1, 1, 7, 1, 2}));
    EXPECT_EQ(Fields("PREFDESCRIPTION"), (std::vector<float>{1, 1, 9, 0, 1, 1, 0, 1, 0, 0}));
}

TEST_F(Packaging, GroupNameIsEitherContentOrValue) {
    Put("PREFDESCRIPTION", "1,0,1,0,1,0,0,0,1,1");
    LoadPackagingPrefs();
    Show([](OPTNPACK& f) {
        EXPECT_TRUE(f.F_IniDescrGnVal->isChecked());
        EXPECT_FALSE(f.F_IniDescrCont[4]->isChecked());
        EXPECT_EQ(gPrefDescription[9], 0) << "opened with the value winning";
        EXPECT_EQ(gPrefDescription[10], 1);
        f.F_IniDescrCont[4]->click();
        EXPECT_FALSE(f.F_IniDescrGnVal->isChecked());
        EXPECT_EQ(gPrefDescription[9], 1);
        EXPECT_EQ(gPrefDescription[10], 0);
        f.F_IniDescrGnVal->click();
        EXPECT_FALSE(f.F_IniDescrCont[4]->isChecked());
        EXPECT_EQ(gPrefDescription[9], 0);
        f.F_IniDescrCont[0]->click();  // the other contents exclude nothing
        EXPECT_TRUE(f.F_IniDescrGnVal->isChecked());
        f.F_Cancel->click();
    });
    EXPECT_EQ(gDlgAccepted, 0);
    EXPECT_EQ(gPrefDescription[9], 1) << "Cancel reads the stored fields back";
    EXPECT_EQ(gPrefDescription[10], 1);
}

TEST_F(Packaging, DependentControlsFollowTheirSwitches) {
    Put("PREFPINOUT", "0,1,0,3,0,0");
    Put("PREFCOMPNAME", "0,0,4,0");
    LoadPackagingPrefs();
    Show([](OPTNPACK& f) {
        QWidget* page = f.mstCompPackage->widget(1);
        EXPECT_FALSE(f.F_IniPinoutOnOff->isVisibleTo(page)) << "the symbol decides";
        EXPECT_FALSE(f.F_GenPrefFrame[1]->isVisibleTo(page));
        f.F_IniPinoutOverride[1]->click();
        EXPECT_TRUE(f.F_IniPinoutOnOff->isVisibleTo(page));
        EXPECT_TRUE(f.F_IniPinoutOnOff->isChecked()) << "the kept switch shows";
        EXPECT_TRUE(f.F_GenPrefFrame[1]->isVisibleTo(page));
        EXPECT_FALSE(f.F_Tsizes[1]->isVisibleTo(page)) << "size source 0: no list";
        f.F_IniPinoutTsType[1]->click();
        EXPECT_TRUE(f.F_Tsizes[1]->isVisibleTo(page));
        EXPECT_EQ(f.F_Tsizes[1]->currentIndex(), 2);
        f.F_IniPinoutTsType[0]->click();
        EXPECT_EQ(gPrefPinout[4], 3) << "hiding the list keeps its number";
        f.F_IniPinoutOverride[0]->click();

        QWidget* first = f.mstCompPackage->widget(0);
        EXPECT_FALSE(f.F_GenPrefFrame[0]->isVisibleTo(first));
        f.F_IniCnameOnOff->click();
        EXPECT_TRUE(f.F_GenPrefFrame[0]->isVisibleTo(first));
        EXPECT_EQ(gPrefCompName[1], 1);
        f.F_IniCnameOnOff->click();
        f.F_Accept->click();
    });
    EXPECT_EQ(Fields("PREFPINOUT"), (std::vector<float>{0, 1, 0, 3, 0, 0})) << "the switch survives";
    EXPECT_EQ(Fields("PREFCOMPNAME"), (std::vector<float>{0, 0, 4, 0}));
}

TEST_F(Packaging, OutOfRangeStoredValuesOpenWithNothingSelectedAndAreKept) {
    Put("PREFCOMPNAME", "1,1,0,5");
    Put("PREFPINOUT", "1,1,1,16,1,3");
    LoadPackagingPrefs();
    Show([](OPTNPACK& f) {
        EXPECT_EQ(f.F_Tsizes[0]->currentIndex(), -1);
        EXPECT_EQ(f.F_Tsizes[1]->currentIndex(), -1);
        EXPECT_FALSE(f.F_IniCnameTloc[0]->isChecked());
        EXPECT_FALSE(f.F_IniCnameTloc[1]->isChecked());
        for (QRadioButton* b : f.F_IniPinoutCont) EXPECT_FALSE(b->isChecked());
        f.F_Accept->click();
    });
    EXPECT_EQ(Fields("PREFCOMPNAME"), (std::vector<float>{1, 1, 0, 5}));
    EXPECT_EQ(Fields("PREFPINOUT"), (std::vector<float>{1, 1, 1, 16, 1, 3}));
}

TEST_F(Packaging, TabsRecordTheirHelpAndTheListsShowTheDatabaseSizes) {
    WriteAutoHelpFlag(-1);
    ShowContextHelp(2, 8, 0, 0);
    test::recordingHelp().Reset();
    // The open database's sizes differ from the settings file's; the lists show the database's.
    gTextSizes[3].Height = 52917;
    StoreTextSizeTable();
    LoadTextSizes();
    Show([](OPTNPACK& f) {
        EXPECT_TRUE(test::recordingHelp().calls.empty()) << "opening shows no tab's help";
        EXPECT_EQ(platform::FromQString(f.F_Tsizes[2]->itemText(2)), "0.1250\"/3.175mm");
        f.mstCompPackage->setCurrentIndex(1);
        EXPECT_EQ(gHelpTopic, HelpTopicId(2, 8, 2, 0));
        f.F_Cancel->click();
    });
    const auto& calls = test::recordingHelp().calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "topic:  | " + std::to_string(HelpTopicId(2, 8, 2, 0))),
              1)
        << "automatic help shows the tab's topic";
    EXPECT_EQ(gTextSizes[3].Height, 52917) << "the database's sizes are left in the table";
}

}  // namespace
}  // namespace tolvi
