#pragma once
// The main window as the program starts it, for the tests of start-up and of what follows: a
// temporary settings directory, stand-in modules for the automatic start, and the vector font's
// box answered where the font is not beside the test program.
#include <cstdint>
#include <memory>
#include <string>

#include "common/utilities.h"
#include "mainwindow/fake_module.h"
#include "mainwindow/quvmain.h"
#include "platform/paths.h"
#include "platform/suite_bus.h"
#include "platform/ui.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tolvi::test {

// Whether the vector font lies beside the program; start-up asks nothing then.
inline bool VectorFontPresent() {
    return platform::IsReadableRegularFile(platform::ResolveFixedName(GetAppPath(), "QUV32VFONT.TVF"));
}

// A main window started on a temporary settings directory, with stand-in modules for the
// automatic start.
struct StartedWindow {
    TempDir dir;
    FakeModules fakes;
    std::unique_ptr<QUVMAIN> w = std::make_unique<QUVMAIN>();
    int ended = -1;
    int exits = 0;  // registered "close" messages seen

    explicit StartedWindow(const std::string& settings = "") {
        if (!settings.empty()) dir.Write("TOLVI32.INI", settings);
        for (const char* m : {"QUVSCHED", "QUVLAYED", "QUVLIBED", "QUVVIEWR"}) fakes.Register(m);
        w->instanceLockPath = dir.File("tolvi32.lock");
        w->onEnd = [this](int code) { ended = code; };
        platform::suiteBus().ListenRegistered([this](uint32_t, int32_t wParam) {
            if (wParam == 3) ++exits;
        });
        if (!VectorFontPresent()) scriptedUi().QueueAnswer(platform::kAnswerOk);
    }
    bool Load() { return w->Form_Load(dir.path()); }
};

}  // namespace tolvi::test
