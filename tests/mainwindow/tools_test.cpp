#include "mainwindow/tools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/startup.h"
#include "platform/process_launcher.h"
#include "platform/suite_bus.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::scriptedUi;

TEST(ModuleCommandLine, ThreeQuotedFields) {
    EXPECT_EQ(ModuleCommandLine("/opt/tolvi", "QUVCONVT", "/home/d/my dir/TOLVI32.INI", -1),
              "\"/opt/tolvi/QUVCONVT\" \"/home/d/my dir/TOLVI32.INI\" \"-1\"");
    EXPECT_EQ(ModuleCommandLine("C:\\TOLVI", "QUVCONVT", "TOLVI32.INI", 0, "\\"),
              "\"C:\\TOLVI\\QUVCONVT\" \"TOLVI32.INI\" \"0\"");
}

class Tools : public ::testing::Test, public platform::ProcessLauncher {
protected:
    void SetUp() override {
        platform::SetProcessLauncher(this);
        gAppDir = "/opt/tolvi";
        gIniFile = "/home/d/TOLVI32.INI";
    }
    bool Start(const std::vector<std::string>& args) override {
        starts.push_back(args);
        return startOk;
    }
    void SetAutoHelp(int32_t flag) { E_MemCopy(E_SysTable(12) + 2044, &flag, 4); }
    void Running(const std::string& state, bool answers) {
        E_SetString("MW_QUVCONVT", "1");
        E_SetString("QUVCONVT", state.c_str());
        platform::SuiteBus::SourceHooks hooks;
        hooks.activate = [this, answers](bool restore) {
            activations.push_back(restore);
            return answers;
        };
        platform::suiteBus().RegisterSource("QUVCONVT", hooks);
    }
    std::vector<std::vector<std::string>> starts;
    std::vector<bool> activations;
    bool startOk = true;
};

TEST_F(Tools, StartsWithArgumentsAndMarksRunning) {
    for (int32_t flag : {-1, 0}) {
        starts.clear();
        E_SetString("MW_QUVCONVT", "");
        SetAutoHelp(flag);
        Ap_ConvtActivate("QUVCONVT");
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0], (std::vector<std::string>{"/opt/tolvi/QUVCONVT", "/home/d/TOLVI32.INI",
                                                       std::to_string(flag)}));
        EXPECT_EQ(CStrFromPtr(E_GetString("MW_QUVCONVT")), "1");
    }
}

TEST_F(Tools, RunningProgramIsBroughtForward) {
    Running("Conversion, 1, 0, 0, 0", true);
    Ap_ConvtActivate("QUVCONVT");
    E_SetString("QUVCONVT", "Conversion, 0, 0, 0, 0");
    Ap_ConvtActivate("QUVCONVT");
    EXPECT_EQ(activations, (std::vector<bool>{true, false}));
    EXPECT_TRUE(starts.empty());
}

TEST_F(Tools, StaleStateStringStartsANewInstance) {
    Running("Conversion, 0, 0, 0, 0", false);
    Ap_ConvtActivate("QUVCONVT");
    EXPECT_EQ(activations.size(), 1u);
    EXPECT_EQ(starts.size(), 1u);
}

TEST_F(Tools, FailedStartIsReportedAndNotMarked) {
    startOk = false;
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    Ap_ConvtActivate("quvconvt");
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't start: quvconvt");
    EXPECT_EQ(scriptedUi().boxes[0].style, 4144);
    EXPECT_EQ(scriptedUi().boxes[0].title, "Tolvi32");
    EXPECT_EQ(CStrFromPtr(E_GetString("MW_QUVCONVT")), "");
}

}  // namespace
}  // namespace tolvi
