// A program started while the manager starts up finds the bus.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "mainwindow/fake_module.h"
#include "mainwindow/quvmain.h"
#include "mainwindow/started_window.h"
#include "platform/qt/bus_qt.h"
#include "platform/suite_bus.h"
#include "platform/ui.h"
#include "support/child_process.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"

namespace tolvi {
namespace {

using test::WaitFor;

// The first module started at start-up starts a separate program of its own, which looks for
// the bus where every program is told it is.
TEST(StartupBus, AProgramStartedByAStartUpModuleFindsTheBus) {
    test::TempDir dir;
    test::FakeModules fakes;
    pid_t program = -1;
    fakes.Register("QUVSCHED", [&](test::FakeModule& m) {
        m.onRun = [&](test::FakeModule&, int16_t, const std::string&) -> int16_t {
            program = fork();
            if (program == 0) {
                const char* bus = std::getenv("TOLVI32_BUS");
                execl(TOLVI_TEST_PEER, "peer", bus ? bus : "", "hello", "STARTEDEARLY", "serve", "1",
                      nullptr);
                _exit(127);
            }
            return 0;
        };
    });
    for (const char* m : {"QUVLAYED", "QUVLIBED", "QUVVIEWR"}) fakes.Register(m);
    auto w = std::make_unique<QUVMAIN>();
    w->instanceLockPath = dir.File("tolvi32.lock");
    w->onEnd = [](int) {};
    w->startBus = [&] {
        std::string why;
        EXPECT_TRUE(platform::StartBusServer(why, dir.File("bus") + "/QUVCMD")) << why;
    };
    if (!test::VectorFontPresent())
        test::scriptedUi().QueueAnswer(platform::kAnswerOk);  // the font's "default assumed"

    ASSERT_TRUE(w->Form_Load(dir.path()));
    ASSERT_GT(program, 0);
    EXPECT_TRUE(WaitFor([] { return platform::suiteBus().HasSource("STARTEDEARLY"); }, 5000));

    platform::StopBusServer();  // the program sees the end and goes
    const auto status = test::AwaitChild(program, 10000, "the program after the bus stopped");
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) != 1) << "the program found no bus";
}

}  // namespace
}  // namespace tolvi
