// Every setup dialog from nothing to shown: constructed, loaded (its option set read from the
// settings file, the aperture table from its file), filled, shown and painted on Qt's offscreen
// platform, then unloaded; that is what a designer waits for after choosing a menu item.
// Target: under 50 ms each.
//
// The headline is the first showing in this fresh process (style, fonts and the dialog's code
// still cold), printed before the benchmarks run; the benchmarks add the best and the mean of
// many showings. The baseline shows an empty dialog with two buttons: the window system's own
// share of a showing.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QMetaObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "common/colour_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "offscreen_qt.h"
#include "setup/setup_forms.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tolvi;

std::map<std::string, double> gFirstMs;

// From construction to the first paint on screen, then unloaded.
double ShowOnce(const std::function<QWidget*()>& make, bool load) {
    const auto t0 = Clock::now();
    QWidget* form = make();
    if (load) QMetaObject::invokeMethod(form, "Form_Load", Qt::DirectConnection);
    form->show();
    QApplication::processEvents();
    form->repaint();
    const auto t1 = Clock::now();
    delete form;
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

QWidget* EmptyDialog() {
    auto* d = new QDialog;
    auto* l = new QVBoxLayout(d);
    l->addWidget(new QPushButton("Accept"));
    l->addWidget(new QPushButton("Cancel"));
    return d;
}

void Showing(benchmark::State& state, const std::function<QWidget*()>& make, bool load,
             const std::string& name) {
    double best = 1e30;
    for (auto _ : state) best = std::min(best, ShowOnce(make, load));
    state.counters["first_ms"] = gFirstMs[name];
    state.counters["best_ms"] = best;
}

// A settings file of defaults and an aperture table of 200 sizes, in a directory that is also
// the system directory; an empty database.
bool PrepareStores(const QTemporaryDir& dir) {
    const std::string base = dir.path().toStdString();
    gIniFile = base + "/TOLVI32.INI";
    std::ofstream(gIniFile) << "[Tolvi32]\r\nSysDir=" << base << "\r\n[POSTART]\r\nAper=STD\r\n";
    std::ofstream apt(base + "/STD.APT");
    for (int i = 1; i <= 200; ++i)
        apt << i * 2540 << "," << 10 + i << "," << 300 + i << "," << 600 + i << "\r\n";
    apt << "\"#\",\"#\",\"#\",\"#\"\r\n";
    apt.close();
    if (DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE") == 0) return false;
    LoadPalette();
    LoadAllOptionSets();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenQt();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid() || !PrepareStores(dir)) {
        std::fprintf(stderr, "bench_setup_dialogs: cannot prepare the settings\n");
        return 1;
    }
    // The first showings: the baseline first, so that the dialogs do not pay the toolkit's own
    // start (which a user has paid when the manager bar came up).
    gFirstMs["baseline"] = ShowOnce(EmptyDialog, false);
    std::printf("first showing in a fresh process (ms):\n  %-10s %7.2f\n", "baseline", gFirstMs["baseline"]);
    for (const tolvi::SetupFormInfo& f : tolvi::SetupForms()) {
        gFirstMs[f.name] = ShowOnce([&] { return f.make(nullptr); }, true);
        std::printf("  %-10s %7.2f\n", f.name, gFirstMs[f.name]);
    }
    std::fflush(stdout);

    benchmark::RegisterBenchmark("Baseline/EmptyDialog", [](benchmark::State& s) {
        Showing(s, EmptyDialog, false, "baseline");
    })->Unit(benchmark::kMillisecond);
    for (const tolvi::SetupFormInfo& f : tolvi::SetupForms()) {
        benchmark::RegisterBenchmark(("Show/" + std::string(f.name)).c_str(), [f](benchmark::State& s) {
            Showing(
                s, [&] { return f.make(nullptr); }, true, f.name);
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
