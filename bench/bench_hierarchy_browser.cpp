// The hierarchy browser on a design of 99 hierarchies of 99 pages, the last of them carrying
// 100,000 more schematic objects (components, wires and junctions in turn, about 1,000 a page),
// and that hierarchy current. Each case beside the raw work it cannot beat:
//
// - Opening: the browser made, loaded (its three lists filled, both previews framed and drawn)
//   and painted on Qt's offscreen platform. Target: under 200 ms. Baseline: an empty dialog with
//   three buttons shown the same way.
// - Switching page: a page picked in the page list, its preview framed and drawn and the box
//   painted. Target: under 50 ms. Baseline: the kernel's drawing of that page alone, into a sink
//   that does nothing.
// - Deleting: the heavy hierarchy marked and deleted with everything it owns. Target: under
//   100 ms. Baseline: the kernel's own deletes of the hierarchy's contents and of the hierarchy.
//
// The headline of each is its first run in this fresh process (printed before the benchmarks
// run); the benchmarks add the best of many.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "bench_timing.h"
#include "common/db_session.h"
#include "common/preview_drawing.h"
#include "kernel/draw_sink.h"
#include "kernel/kernel.h"
#include "mainwindow/hier_deletion.h"
#include "mainwindow/quvhier.h"
#include "offscreen_qt.h"
#include "platform/qt/codec.h"
#include "platform/qt/preview_canvas.h"
#include "support/design_builder.h"

namespace {

using ::bench::Clock;
using namespace tolvi;

constexpr int32_t kHierarchies = 99;
constexpr int32_t kPages = 99;
constexpr int32_t kHeavyObjects = 100000;
constexpr int32_t kHeavy = kHierarchies;  // the last hierarchy carries them

double Ms(Clock::time_point a, Clock::time_point b) { return 1000 * ::bench::Seconds(a, b); }

bool BuildDesign() {
    if (!designs::BuildHierarchyDesign({kHierarchies, kPages, kHeavyObjects})) return false;
    gDbTitle = "HIERS";
    DB_SetCurHier(kHeavy);
    UpdateMainCaption(gDbHandle);
    return gCurHier == kHeavy;
}

// --- opening ---

QDialog* EmptyDialog() {
    auto* d = new QDialog;
    auto* l = new QVBoxLayout(d);
    for (const char* b : {"Accept", "Cancel", "Delete"}) l->addWidget(new QPushButton(b));
    return d;
}

QUVHIER* Browser() {
    auto* form = new QUVHIER;
    form->Form_Load();
    return form;
}

double OpenOnce(const std::function<QDialog*()>& make) {
    const auto t0 = Clock::now();
    QDialog* form = make();
    form->show();
    QApplication::processEvents();
    form->repaint();
    const auto t1 = Clock::now();
    form->hide();
    delete form;
    return Ms(t0, t1);
}

// --- switching page ---

class NullSink : public IDrawSink {
public:
    void begin(int32_t, int32_t) override {}
    void setPen(uint32_t, double, int32_t, int32_t) override {}
    void setBrush(bool, uint32_t) override {}
    void polyline(const Point*, size_t) override {}
    void polygon(const Point*, size_t) override {}
    void ellipse(double, double, double, double) override {}
    void arc(double, double, double, double, double, double) override {}
    void end() override {}
};

int gPage = 1;

int NextPage() {
    gPage = gPage % kPages + 1;
    return gPage;
}

std::string PageName(int p) { return p == 1 ? "MAINPAGE" : "PAGE" + std::to_string(p); }

double SwitchOnce(QUVHIER& form) {
    QComboBox* pages = form.F_BrowseList[1];
    pages->setEditText(platform::ToQString(PageName(NextPage())));
    const auto t0 = Clock::now();
    form.F_BrowseList_Click(1);
    form.ViewPicture[0]->repaint();
    return Ms(t0, Clock::now());
}

double RawDrawOnce() {
    DB_SetCurPage(NextPage());
    UpdateMainCaption(gDbHandle);
    NullSink sink;
    DcRec rec{25400, 600, 400, 0, 0, 0};
    const auto t0 = Clock::now();
    G_OpenDC(&sink, rec);
    DrawAllSchematic();
    G_CloseDC();
    return Ms(t0, Clock::now());
}

// --- deleting ---

double DeleteOnce() {
    O_Mask(OM_Object(DB_HierarchyMap(), kHeavy), 0x100, 0x100);
    DB_SetCurHier(1);
    const auto t0 = Clock::now();
    DeleteMarkedHierarchies(0x100);
    return Ms(t0, Clock::now());
}

double RawDeleteOnce() {
    const auto t0 = Clock::now();
    DB_SetCurHier(kHeavy);
    for (const int32_t map : {DB_PageMap(), DB_NetMap(), DB_BusMap(), DB_SchCompMap(), DB_BranchMap(),
                              DB_JunctMap(), DB_LayCompMap(), DB_TraceMap(), DB_BendPointMap(), DB_ViaMap()})
        OM_DeleteAll(map);
    OM_Delete(DB_HierarchyMap(), kHeavy);
    const auto t1 = Clock::now();
    DB_SetCurHier(1);
    return Ms(t0, t1);
}

// Best of the runs; the design is made again before each run of a delete.
void Repeat(benchmark::State& state, const std::function<double()>& once, double first, bool rebuild) {
    double best = 1e30;
    for (auto _ : state) {
        if (rebuild) {
            state.PauseTiming();
            BuildDesign();
            state.ResumeTiming();
        }
        best = std::min(best, once());
    }
    state.counters["first_ms"] = first;
    state.counters["best_ms"] = best;
}

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenQt();
    QApplication app(argc, argv);
    if (!BuildDesign()) {
        std::fprintf(stderr, "bench_hierarchy_browser: the kernel refused the design\n");
        return 1;
    }

    // First runs. The baseline dialog first, so that the browser does not pay the toolkit's own
    // start (which a user has paid when the manager bar came up).
    const double firstEmpty = OpenOnce(EmptyDialog);
    const double firstOpen = OpenOnce(Browser);
    QUVHIER* shown = Browser();
    shown->show();
    QApplication::processEvents();
    const double firstSwitch = SwitchOnce(*shown);
    const double firstRawDraw = RawDrawOnce();
    const double firstDelete = DeleteOnce();
    BuildDesign();
    const double firstRawDelete = RawDeleteOnce();
    BuildDesign();
    std::printf("first run in a fresh process (ms), %d hierarchies x %d pages, %d more objects in one:\n",
                kHierarchies, kPages, kHeavyObjects);
    std::printf("  open browser   %8.2f   (baseline empty dialog %8.2f)\n", firstOpen, firstEmpty);
    std::printf("  switch page    %8.2f   (baseline kernel drawing %8.2f)\n", firstSwitch, firstRawDraw);
    std::printf("  delete marked  %8.2f   (baseline kernel deletes %8.2f)\n", firstDelete, firstRawDelete);
    std::fflush(stdout);

    benchmark::RegisterBenchmark("Open/Baseline/EmptyDialog", [&](benchmark::State& s) {
        Repeat(
            s, [] { return OpenOnce(EmptyDialog); }, firstEmpty, false);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Open/Browser", [&](benchmark::State& s) {
        Repeat(
            s, [] { return OpenOnce(Browser); }, firstOpen, false);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SwitchPage/Baseline/KernelDrawing", [&](benchmark::State& s) {
        Repeat(s, RawDrawOnce, firstRawDraw, false);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SwitchPage/Browser", [&](benchmark::State& s) {
        Repeat(
            s, [&] { return SwitchOnce(*shown); }, firstSwitch, false);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Delete/Baseline/KernelDeletes",
                                 [&](benchmark::State& s) { Repeat(s, RawDeleteOnce, firstRawDelete, true); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("Delete/MarkedHierarchy",
                                 [&](benchmark::State& s) { Repeat(s, DeleteOnce, firstDelete, true); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete shown;
    return 0;
}
