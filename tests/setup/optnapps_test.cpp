#include "setup/optnapps.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "common/dialog_state.h"
#include "common/general_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::scriptedUi;

class StartupApps : public test::SetupFixture {
protected:
    static void Show(std::function<void(OPTNAPPS&)> script) { ShowScripted<OPTNAPPS>(std::move(script), -1); }
    static std::vector<float> Fields(const char* key) { return test::IniFields("Tolvi32", key); }
    static std::array<bool, 4> Checked(const std::array<QCheckBox*, 4>& boxes) {
        return {boxes[0]->isChecked(), boxes[1]->isChecked(), boxes[2]->isChecked(), boxes[3]->isChecked()};
    }
};

TEST_F(StartupApps, WithoutKeysTheBuiltInChoiceShows) {
    Show([](OPTNAPPS& f) {
        EXPECT_EQ(f.windowTitle().toStdString(), "Tolvi32 - StartUp Applications (Default)");
        EXPECT_EQ(f.F_Apps[0]->text().toStdString(), "Schematic Capture");
        EXPECT_EQ(Checked(f.F_Apps), (std::array<bool, 4>{true, true, false, true}));
        EXPECT_EQ(Checked(f.F_Mini), (std::array<bool, 4>{false, true, false, false}));
        f.F_Cancel->click();
    });
}

TEST_F(StartupApps, AnyFlagButZeroOpensCheckedAndAcceptWritesTheBoxes) {
    int err = 0;
    IniPutString("Tolvi32", "Apps", "2,-1,0,1", err);
    IniPutString("Tolvi32", "AppsWin", "0,0,7,0", err);
    LoadStartupApps();
    Show([](OPTNAPPS& f) {
        EXPECT_EQ(Checked(f.F_Apps), (std::array<bool, 4>{true, true, false, true}));
        EXPECT_EQ(Checked(f.F_Mini), (std::array<bool, 4>{false, false, true, false}));
        f.F_Apps[0]->click();
        f.F_Apps[3]->click();
        f.F_Mini[0]->click();  // kept while its module does not start
        f.F_Accept->click();
    });
    EXPECT_EQ(gDlgAccepted, -1);
    EXPECT_EQ(Fields("Apps"), (std::vector<float>{0, 1, 0, 0}));
    EXPECT_EQ(Fields("AppsWin"), (std::vector<float>{1, 0, 1, 0}));
}

TEST_F(StartupApps, AllClearAcceptedAndCancelledClicks) {
    Show([](OPTNAPPS& f) {
        for (QCheckBox* b : f.F_Apps) b->setChecked(false);
        for (QCheckBox* b : f.F_Mini) b->setChecked(false);
        f.F_Accept->click();
    });
    EXPECT_EQ(Fields("Apps"), (std::vector<float>{0, 0, 0, 0}));
    EXPECT_EQ(Fields("AppsWin"), (std::vector<float>{0, 0, 0, 0}));

    Show([](OPTNAPPS& f) {
        f.F_Apps[2]->click();
        f.F_Mini[3]->click();
        EXPECT_EQ(gAppsStart[2], 1);
        f.F_Cancel->click();
    });
    EXPECT_EQ(gDlgAccepted, 0);
    EXPECT_EQ(gAppsStart, (std::array<int32_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(gAppsMin, (std::array<int32_t, 4>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace tolvi
