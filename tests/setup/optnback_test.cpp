#include "setup/optnback.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "common/dialog_state.h"
#include "common/general_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::EnterInto;
using test::scriptedUi;
using test::TypeInto;

TEST(BackupInterval, TypedIntervalsTable) {
    const struct {
        const char* text;
        float value;  // 0: refused, the held 5 kept
    } cases[] = {
        {"0", 0},     {"61", 0},   {"", 0},      {"abc", 0},   {"0.9", 0},
        {"-5", 0},    {"60.7", 0},  // would round to 61, which the next load would replace by 5
        {"1", 1},     {"60", 60},  {"60.5", 60}, {"12.5", 12}, {"13.5", 14},
        {"7 abc", 7}, {" 30", 30}, {"2,5", 2},   {"1E1", 10},  {"1e40", 0},
    };
    for (const auto& c : cases) {
        const IntervalEdit e = ParseBackupInterval(c.text, 5.0f);
        EXPECT_EQ(e.beep, c.value == 0) << c.text;
        EXPECT_EQ(e.value, c.value == 0 ? 5.0f : c.value) << c.text;
    }
}

class Backup : public test::SetupFixture {
protected:
    static std::string Ini(const char* key) { return test::IniValue("Tolvi32", key); }
};

TEST_F(Backup, CaptionNeverCarriesTheScope) {
    for (int32_t scope : {0, -1}) {
        SetOptionScope(scope != 0 ? OptionScope::Current : OptionScope::Default);
        std::string caption;
        ShowScripted<OPTNBACK>(
            [&](OPTNBACK& f) {
                caption = f.windowTitle().toStdString();
                f.F_Cancel->click();
            },
            -1);
        EXPECT_EQ(caption, "Tolvi32 Autobackup") << scope;
    }
}

TEST_F(Backup, EnterCommitsRefusedValuesBeepAndAcceptTakesATypedOne) {
    int err = 0;
    IniPutString("Tolvi32", "BackupInt", "20", err);
    LoadBackupSettings();
    ShowScripted<OPTNBACK>(
        [&](OPTNBACK& f) {
            EXPECT_EQ(f.F_Int->text(), " 20");
            EXPECT_FALSE(f.F_Enabled->isChecked());
            for (const char* refused : {"61", "60.7", "0"}) {
                EnterInto(f.F_Int, refused);
                EXPECT_EQ(f.F_Int->text(), " 20") << refused;
                EXPECT_TRUE(f.isVisible());
            }
            EXPECT_EQ(scriptedUi().beeps, 3);
            EnterInto(f.F_Int, "13.5");
            EXPECT_EQ(gBackupInt, 14.0f);
            EXPECT_EQ(f.F_Int->text(), " 14");
            f.F_Enabled->click();
            // Typed, not yet committed (the box keeps the focus): Accept takes it.
            TypeInto(f.F_Int, "45");
            f.F_Accept->click();
        },
        -1);
    EXPECT_EQ(Ini("BackupInt"), "45");
    EXPECT_EQ(Ini("BackupON"), "1");
    EXPECT_TRUE(test::recordingHost().backupTimer) << "backups on: the timer runs again";
}

TEST_F(Backup, CancelAfterACommittedPeriodRestoresTheStoredOne) {
    int err = 0;
    IniPutString("Tolvi32", "BackupON", "1", err);
    LoadBackupSettings();
    ShowScripted<OPTNBACK>(
        [&](OPTNBACK& f) {
            EXPECT_TRUE(f.F_Enabled->isChecked());
            EnterInto(f.F_Int, "33");
            EXPECT_EQ(gBackupInt, 33.0f);
            f.F_Enabled->click();
            f.F_Cancel->click();
        },
        -1);
    EXPECT_EQ(gBackupInt, 5.0f);
    EXPECT_EQ(gBackupOn, 1.0f);
    EXPECT_EQ(Ini("BackupInt"), "(missing)");
}

}  // namespace
}  // namespace tolvi
