#include "mainwindow/command_routing.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/db_session.h"
#include "common/dialog_state.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/fake_module.h"
#include "platform/suite_bus.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::FakeModules;
using test::recordingHost;
using test::scriptedUi;

// Two running modules, the manager's source, and a recorder of everything it publishes.
class Routing : public ::testing::Test {
protected:
    void SetUp() override {
        mods.Register("QUVSCHED");
        mods.Register("QUVLAYED");
        Start("QUVSCHED");
        Start("QUVLAYED");
        mods.journal.clear();
        platform::suiteBus().RegisterSource(kManagerName);
        platform::suiteBus().Link(kManagerName, [this](const std::string& t) { published.push_back(t); });
    }
    void Start(const std::string& name) {
        int16_t mode = 0;
        std::string file;
        InitializeApp(name, mode, file);
    }
    std::vector<std::string> Published() {
        platform::suiteBus().DeliverPending();
        return published;
    }
    int Refreshes() const {
        int n = 0;
        for (const auto& c : recordingHost().calls) n += c.rfind("caption: ", 0) == 0;
        return n;
    }
    FakeModules mods;
    std::vector<std::string> published;
};

TEST_F(Routing, ModuleEventsTable) {
    struct Case {
        const char* target;
        const char* cmd;
        std::vector<std::string> journal;
    };
    const Case cases[] = {
        {"QUVSCHED", "shutdown", {"QUVSCHED released"}},
        {"QUVLAYED", " Shell ,2", {"QUVLAYED path " + GetAppPath(), "QUVLAYED run 2"}},
        {"QUVLAYED", "SHELL", {"QUVLAYED path " + GetAppPath(), "QUVLAYED run 0"}},
        {"QUVLAYED", "SHELL,1.5,f", {"QUVLAYED path " + GetAppPath(), "QUVLAYED run 2"}},
        {"QUVLAYED", "SHELL,2.5", {"QUVLAYED path " + GetAppPath(), "QUVLAYED run 2"}},
        {"QUVLAYED", "SHELL,70000", {}},
        {"QUVLAYPS", "PX,\"a,b\"", {"QUVLAYED notify QUVLAYPS PX,\"a,b\""}},
    };
    for (const Case& c : cases) {
        mods.journal.clear();
        ProcessCmd(c.target, c.cmd);
        EXPECT_EQ(mods.journal, c.journal) << c.target << " " << c.cmd;
    }
    EXPECT_EQ(Refreshes(), 0);
    EXPECT_TRUE(Published().empty());
}

TEST_F(Routing, AddressedLinesTable) {
    E_SetString("QUVSCHED", "Capture, 0, 0, 0, 0");
    struct Case {
        const char* line;
        int refreshes;
        std::vector<std::string> journal;
        std::vector<std::string> published;
    };
    const Case cases[] = {
        // Raised by a module as "ALL,UP": not exactly "All", so neither refreshed nor broadcast,
        // and "ALL" has no state string.
        {"ALL,UP", 0, {}, {}},
        {"UP", 0, {}, {}},
        {"TOLVI32,UP", 1, {}, {}},
        {"All,UP", 1, {"QUVSCHED notify - All,UP", "QUVLAYED notify - All,UP"}, {"All,UP"}},
        {"All, UP", 0, {"QUVSCHED notify - All, UP", "QUVLAYED notify - All, UP"}, {"All, UP"}},
        {"QUVSCHED,x,\"a,b\"",
         0,
         {"QUVSCHED notify QUVSCHED x,\"a,b\"", "QUVLAYED notify QUVSCHED x,\"a,b\""},
         {"QUVSCHED,x,\"a,b\""}},
        {"QUVLAYED,UP", 0, {}, {}},  // no state string: not running as far as the board knows
        {"QUVSCHED", 0, {}, {}},     // a target alone
        {"All", 0, {}, {}},
        {"All,ST", 0, {"QUVSCHED notify - All,ST", "QUVLAYED notify - All,ST"}, {"All,ST"}},
        {"", 0, {}, {}},
    };
    for (const Case& c : cases) {
        mods.journal.clear();
        published.clear();
        recordingHost().calls.clear();
        AP_ExeCmd(c.line);
        EXPECT_EQ(Refreshes(), c.refreshes) << c.line;
        EXPECT_EQ(mods.journal, c.journal) << c.line;
        EXPECT_EQ(Published(), c.published) << c.line;
    }
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(Routing, ProcessCmdAllRunsTheLineAndTargetManagerIsOurs) {
    recordingHost().calls.clear();
    ProcessCmd("QUVLAYED", "All,UP");
    EXPECT_EQ(Refreshes(), 1);
    EXPECT_EQ(Published(), std::vector<std::string>{"All,UP"});
    mods.journal.clear();
    ProcessCmd(" tolvi32", "UP");  // reaches AP_ExeCmd("UP"): nothing happens
    EXPECT_TRUE(mods.journal.empty());
    EXPECT_EQ(Refreshes(), 1);
}

TEST_F(Routing, StStartsTheModuleThenBroadcasts) {
    mods.Register("QUVLIBED");
    AP_ExeCmd("All,ST,QUVLIBED");
    EXPECT_EQ(mods.created["QUVLIBED"], 1);
    const std::vector<std::string> expected = {
        "QUVLIBED path " + GetAppPath(), "QUVLIBED run 0", "QUVSCHED notify - All,ST,QUVLIBED",
        "QUVLAYED notify - All,ST,QUVLIBED", "QUVLIBED notify - All,ST,QUVLIBED"};
    EXPECT_EQ(mods.journal, expected);
    EXPECT_EQ(Published(), std::vector<std::string>{"All,ST,QUVLIBED"});
    EXPECT_FALSE(scriptedUi().BusyPointer());
}

TEST_F(Routing, BroadcastWithoutModulesStillPublishes) {
    ReleaseServers();
    NotifyAll("EX");
    EXPECT_EQ(Published(), std::vector<std::string>{"All,EX"});
    SendToApp("TOLVI32", "UP");
    E_SetString("QUVCONVT", "Conv, 0, 0, 0, 0");
    SendToApp("QUVCONVT", "DF");
    EXPECT_EQ(Published(), (std::vector<std::string>{"All,EX", "QUVCONVT,DF"}));
}

TEST_F(Routing, ModuleRaisingCommandsFromInsideNotifyMeKeepsTheOuterLine) {
    ReleaseServers();
    mods.journal.clear();
    int raised = 0;
    mods.Register("QUVSCHED", [&](test::FakeModule& m) {
        m.onNotify = [&](test::FakeModule& self, const std::string&) {
            if (raised++ == 0) self.host->NotifyServer("QUVSCHED", "ALL,TOLVI32,UP");
        };
    });
    Start("QUVSCHED");
    Start("QUVLAYED");
    E_SetString("QUVLAYED", "Layout, 0, 0, 0, 0");
    mods.journal.clear();
    AP_ExeCmd("QUVLAYED,PX,\"a,b\",3");
    const std::vector<std::string> expected = {"QUVSCHED notify QUVLAYED PX,\"a,b\",3",
                                               "QUVLAYED notify QUVLAYED PX,\"a,b\",3"};
    EXPECT_EQ(mods.journal, expected);
    EXPECT_EQ(Published(), std::vector<std::string>{"QUVLAYED,PX,\"a,b\",3"});
}

TEST_F(Routing, ThrowingModuleIsReportedAndTheOthersStillHear) {
    ReleaseServers();
    mods.Register("QUVSCHED", [](test::FakeModule& m) {
        m.onNotify = [](test::FakeModule&, const std::string&) { throw std::runtime_error("module fault"); };
    });
    Start("QUVSCHED");
    Start("QUVLAYED");
    mods.journal.clear();
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    NotifyAll("UP");
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "module fault");
    EXPECT_EQ(mods.journal.back(), "QUVLAYED notify - All,UP");
}

// --- command links and keystrokes ---

class Links : public ::testing::Test {
protected:
    void SetList(const std::vector<std::string>& names) {
        gAppNames = {""};
        for (const auto& n : names) gAppNames.push_back(n);
        gAppCount = static_cast<int32_t>(names.size());
        CreateCommandLinks();
    }
};

TEST_F(Links, OneEntryListLinksNothing) {
    SetList({"TOLVI32"});
    ConnectCommandLinks();
    EXPECT_EQ(platform::suiteBus().LinkAttempts(), 0);
}

TEST_F(Links, RetriedUntilTheSourceAppearsAndNeverRelinked) {
    SetList({"TOLVI32", "QUVSCHED", "APP3"});
    EXPECT_EQ(F_INCMD[3].Text, "APP3");
    auto& bus = platform::suiteBus();
    bus.RegisterSource("QUVSCHED");
    ConnectCommandLinks();
    EXPECT_EQ(LinkMode(2), 3);
    EXPECT_EQ(LinkMode(3), 0);
    EXPECT_EQ(F_INCMD[2].LinkTopic, "QUVSCHED|QUVCMD");
    EXPECT_EQ(F_INCMD[2].LinkItem, "F_OUTCMD");
    EXPECT_EQ(F_INCMD[2].LinkTimeout, 600);
    EXPECT_EQ(bus.LinkAttempts(), 2);
    bus.RegisterSource("APP3");
    ConnectCommandLinks();
    EXPECT_EQ(LinkMode(3), 3);
    EXPECT_EQ(bus.LinkAttempts(), 3) << "QUVSCHED was not linked again";
    bus.UnregisterSource("APP3");
    EXPECT_EQ(LinkMode(3), 0);
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(Links, ManagerNeverLinksToItself) {
    SetList({"QUVSCHED", "TOLVI32"});
    ConnectCommandLinks();
    EXPECT_EQ(LinkMode(2), 0);
    EXPECT_EQ(platform::suiteBus().LinkAttempts(), 0);
    NotifyAll("UP");
    EXPECT_TRUE(platform::suiteBus().DeliverPending());
}

TEST_F(Links, NotificationsRunTheirOwnTextThenConnect) {
    SetList({"TOLVI32", "QUVSCHED", "APP3"});
    auto& bus = platform::suiteBus();
    bus.RegisterSource("QUVSCHED");
    ConnectCommandLinks();
    std::vector<std::string> out;
    bus.Link(kManagerName, [&](const std::string& t) { out.push_back(t); });
    bus.Publish("QUVSCHED", "All,PX");
    bus.Publish("QUVSCHED", "");
    bus.Publish("QUVSCHED", "All,DF");
    bus.RegisterSource("APP3");
    const int before = bus.LinkAttempts();
    bus.DeliverPending();
    // Both lines ran (the empty one ran nothing), each notification reconnected APP3 once.
    EXPECT_EQ(out, (std::vector<std::string>{"All,PX", "All,DF"}));
    EXPECT_EQ(LinkMode(3), 3);
    EXPECT_EQ(bus.LinkAttempts(), before + 1);
}

TEST_F(Links, TypedCommandRunsAndWaitsWhileModal) {
    SetList({"TOLVI32"});
    std::vector<std::string> out;
    platform::suiteBus().Link(kManagerName, [&](const std::string& t) { out.push_back(t); });
    auto type = [](const std::string& keys) {
        for (char c : keys) {
            int16_t k = static_cast<unsigned char>(c);
            Form_KeyPress(k);
            EXPECT_EQ(k, static_cast<unsigned char>(c)) << "the key passes on unchanged";
        }
    };
    type("All,MN$@All,DF$");
    platform::suiteBus().DeliverPending();
    gModalDepth = 1;
    type("@All,PX$");
    platform::suiteBus().DeliverPending();
    EXPECT_EQ(out, std::vector<std::string>{"All,DF"});
    gModalDepth = 0;
    platform::suiteBus().DeliverPending();
    EXPECT_EQ(out, (std::vector<std::string>{"All,DF", "All,PX"}));
}

}  // namespace
}  // namespace tolvi

namespace tolvi {
namespace {

// A menu command that fails shows the failure's description and puts the pointer back.
TEST(RunEvent, ShowsTheFailureAndGoesOn) {
    test::scriptedUi().QueueAnswer(platform::kAnswerOk);
    RunEvent([] {
        platform::ui().SetBusyPointer(true);
        throw std::runtime_error("Overflow");
    });
    ASSERT_EQ(test::scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(test::scriptedUi().boxes[0].text, "Overflow");
    EXPECT_FALSE(platform::ui().BusyPointer());
    bool ran = false;
    RunEvent([&] { ran = true; });
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace tolvi
