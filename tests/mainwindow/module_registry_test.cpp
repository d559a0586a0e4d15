#include "mainwindow/module_registry.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/general_settings.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/fake_module.h"
#include "support/scripted_ui.h"
#include "support/string_board.h"

namespace tolvi {
namespace {

using test::Board;
using test::FakeModule;
using test::FakeModules;
using test::scriptedUi;

int16_t Start(const std::string& name, int16_t mode = 0, std::string file = "") {
    return InitializeApp(name, mode, file);
}

std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    keys.reserve(colServers.size());
    for (const auto& e : colServers) keys.push_back(e.first);
    return keys;
}

TEST(ModuleRegistry, StartingTwiceCreatesOneServerAndCallsTheEntryEachTime) {
    FakeModules fakes;
    fakes.Register("QUVSCHED");
    Start("QUVSCHED");
    Start("quvsched", 1);
    EXPECT_EQ(fakes.created["QUVSCHED"], 1);
    EXPECT_EQ(Keys(), std::vector<std::string>{"mw_QUVSCHED"});
    EXPECT_EQ(Board("MW_QUVSCHED"), "1");
    const std::string path = GetAppPath();
    EXPECT_EQ(fakes.journal, (std::vector<std::string>{"QUVSCHED path " + path, "QUVSCHED run 0",
                                                       "QUVSCHED path " + path, "QUVSCHED run 1"}));
}

TEST(ModuleRegistry, NamesOutsideTheTableDoNothing) {
    FakeModules fakes;
    for (const char* name : {" QUVSCHED", "QUVSCHED ", "QUVDIAGR", "QUVGRFED", "QUVFMPDF", "QUVCONVT", ""}) {
        fakes.Register(name);
        EXPECT_EQ(Start(name), 0) << name;
        ShutDownApp(name);
    }
    EXPECT_TRUE(colServers.empty());
    EXPECT_TRUE(fakes.journal.empty());
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST(ModuleRegistry, EntryResultAndFileArePassedThrough) {
    FakeModules fakes;
    for (const char* name : {"QUVLAYED", "QUVSPCVR"})
        fakes.Register(name, [](FakeModule& m) {
            m.onRun = [](FakeModule&, int16_t mode, const std::string&) {
                return static_cast<int16_t>(mode == 0 ? -1 : 32767);
            };
        });
    EXPECT_EQ(Start("QUVLAYED", 0, "ignored.txt"), -1);
    EXPECT_EQ(Start("QUVSPCVR", 5, "/job/a b.txt"), 32767);
    EXPECT_EQ(fakes.journal[1], "QUVLAYED run 0");
    EXPECT_EQ(fakes.journal[3], "QUVSPCVR run 5 /job/a b.txt");
}

TEST(ModuleRegistry, AThrowingEntryIsShownOnceAndTheModuleStaysRunning) {
    FakeModules fakes;
    fakes.Register("QUVLAYPS", [](FakeModule& m) {
        m.onRun = [](FakeModule&, int16_t, const std::string&) -> int16_t {
            throw std::runtime_error("Layout file damaged");
        };
    });
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    EXPECT_EQ(Start("QUVLAYPS"), 0);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Layout file damaged");
    EXPECT_EQ(scriptedUi().boxes[0].style, 0);
    EXPECT_EQ(scriptedUi().boxes[0].title, "Tolvi32");
    EXPECT_EQ(Board("MW_QUVLAYPS"), "1");
    EXPECT_NE(ModuleServer("QUVLAYPS"), nullptr);
}

TEST(ModuleRegistry, AServerThatCannotBeCreatedLeavesNothingBehind) {
    FakeModules fakes;
    platform::RegisterModuleFactory("QUVEMA",
                                    [](platform::ModuleHost&) -> std::shared_ptr<platform::DesignModule> {
                                        throw platform::ModuleError("Module not found: QUVEMA");
                                    });
    // No factory and no library: the loader's own description.
    platform::SetModulesDirectory("/nonexistent-modules");
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    EXPECT_EQ(Start("QUVEMA"), 0);
    EXPECT_EQ(Start("QUVTHERM"), 0);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Module not found: QUVEMA");
    EXPECT_EQ(scriptedUi().boxes[1].text, "Module not found: /nonexistent-modules/QUVTHERM.so");
    EXPECT_EQ(Board("MW_QUVEMA"), std::nullopt);
    EXPECT_EQ(Board("MW_QUVTHERM"), std::nullopt);
    EXPECT_TRUE(colServers.empty());
}

TEST(ModuleRegistry, ShutDownReleasesARunningModuleAndRefusesOneNeverStarted) {
    FakeModules fakes;
    fakes.Register("QUVLIBED");
    Start("QUVLIBED");
    ShutDownApp("quvlibed");
    EXPECT_TRUE(colServers.empty());
    EXPECT_EQ(Board("MW_QUVLIBED"), "0");
    EXPECT_EQ(fakes.journal.back(), "QUVLIBED released");

    E_SetString("MW_QUVVIEWR", "stale");
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    ShutDownApp("QUVVIEWR");
    EXPECT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(Board("MW_QUVVIEWR"), "stale");

    // Started again after its release: a new server.
    Start("QUVLIBED");
    EXPECT_EQ(fakes.created["QUVLIBED"], 2);
}

TEST(ModuleRegistry, AModuleMayAskToBeReleasedFromInsideItsEntry) {
    FakeModules fakes;
    fakes.Register("QUVCMDIT", [&fakes](FakeModule& m) {
        m.onRun = [&fakes](FakeModule& self, int16_t, const std::string&) -> int16_t {
            self.host->NotifyServer("QUVCMDIT", "SHUTDOWN");
            // Released: the manager no longer listens to this server.
            self.host->NotifyServer("QUVCMDIT", "SHELL,0");
            fakes.journal.push_back("entry goes on");
            return 7;
        };
    });
    EXPECT_EQ(Start("QUVCMDIT"), 7);
    EXPECT_EQ(fakes.created["QUVCMDIT"], 1);
    EXPECT_TRUE(colServers.empty());
    EXPECT_EQ(Board("MW_QUVCMDIT"), "0");
    ASSERT_GE(fakes.journal.size(), 2u);
    EXPECT_EQ(fakes.journal[fakes.journal.size() - 2], "entry goes on");
    EXPECT_EQ(fakes.journal.back(), "QUVCMDIT released");
}

TEST(ModuleRegistry, AModuleStartingItselfFromItsEntryIsNotCreatedTwice) {
    FakeModules fakes;
    fakes.Register("QUVSIM", [](FakeModule& m) {
        m.onRun = [](FakeModule& self, int16_t mode, const std::string&) -> int16_t {
            if (mode == 0) self.host->NotifyServer("QUVSIM", "SHELL,2");
            return mode;
        };
    });
    EXPECT_EQ(Start("QUVSIM"), 0);
    EXPECT_EQ(fakes.created["QUVSIM"], 1);
    EXPECT_NE(std::find(fakes.journal.begin(), fakes.journal.end(), "QUVSIM run 2"), fakes.journal.end());
}

TEST(ModuleRegistry, ReleasingAModuleDuringABroadcastDoesNotStopTheOthers) {
    FakeModules fakes;
    auto byeMeansRelease = [](FakeModule& m) {
        m.onNotify = [](FakeModule& self, const std::string& cmd) {
            if (cmd == "All,BYE") self.host->NotifyServer(self.name, "SHUTDOWN");
        };
    };
    fakes.Register("QUVSCHED", byeMeansRelease);
    fakes.Register("QUVLAYED");
    Start("QUVSCHED");
    Start("QUVLAYED");
    fakes.journal.clear();
    NotifyClients("All,BYE");
    EXPECT_EQ(fakes.journal, (std::vector<std::string>{"QUVSCHED notify - All,BYE",
                                                       "QUVLAYED notify - All,BYE", "QUVSCHED released"}));
    EXPECT_EQ(Keys(), std::vector<std::string>{"mw_QUVLAYED"});
}

TEST(ModuleRegistry, TheSimulatorSavesOnlyWhenItsFlagReadsOne) {
    struct Counter : platform::SimulatorLib {
        int calls = 0;
        void MM_SaveWork() override { ++calls; }
    } sim;
    platform::SetSimulatorLib(&sim);
    const struct {
        const char* value;
        bool saves;
    } cases[] = {{"1", true}, {" 1 ", true}, {"0", false}, {"", false}, {nullptr, false}, {"11", false}};
    for (const auto& c : cases) {
        sim.calls = 0;
        E_SetString("MW_QUVSIM", c.value);
        MixedModeSaveWork();
        EXPECT_EQ(sim.calls, c.saves ? 1 : 0) << (c.value ? c.value : "<unset>");
    }
    // No simulator library at all: nothing to call, nothing fails.
    platform::SetSimulatorLib(nullptr);
    E_SetString("MW_QUVSIM", "1");
    MixedModeSaveWork();
}

TEST(ModuleRegistry, AutomaticStartFollowsTheFlagsInEditorOrder) {
    FakeModules fakes;
    for (const char* name : {"QUVSCHED", "QUVLAYED", "QUVLIBED", "QUVVIEWR"}) fakes.Register(name);
    LoadStartupApps();  // no settings file: the defaults "1,1,0,1" and "0,1,0,0"
    StartAutoApplications();
    std::vector<std::string> runs;
    for (const auto& line : fakes.journal)
        if (line.find(" run ") != std::string::npos) runs.push_back(line);
    EXPECT_EQ(runs, (std::vector<std::string>{"QUVSCHED run 0", "QUVLAYED run 1", "QUVVIEWR run 0"}));

    ReleaseServers();
    fakes.journal.clear();
    gAppsStart = {0, 0, 0, 0};
    StartAutoApplications();
    EXPECT_TRUE(fakes.journal.empty());
}

TEST(ModuleLibraries, AreLoadedFromTheModulesDirectoryAndChecked) {
    platform::SetModulesDirectory(TOLVI_TEST_MODULES);
    // The entry answers mode + 100 * simulator saves, and -2 without a program directory.
    EXPECT_EQ(Start("QUVTFMST", 3), 3);
    EXPECT_EQ(Board("MW_QUVTFMST"), "1");

    // The simulator's library exports its save entry, which the registry reaches.
    EXPECT_EQ(Start("quvsim"), 0);
    MixedModeSaveWork();
    MixedModeSaveWork();
    EXPECT_EQ(Start("QUVSIM"), 200);

    // A library built for another interface version is refused.
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    EXPECT_EQ(Start("QUVTFSPC"), 0);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_NE(scriptedUi().boxes[0].text.find("another version"), std::string::npos);
    EXPECT_EQ(Board("MW_QUVTFSPC"), std::nullopt);

    // A library module may ask to be released from inside NotifyMe.
    NotifyClients("All,BYE");
    EXPECT_EQ(ModuleServer("QUVTFMST"), nullptr);
    EXPECT_EQ(Board("MW_QUVTFMST"), "0");
    ReleaseServers();
}

}  // namespace
}  // namespace tolvi
