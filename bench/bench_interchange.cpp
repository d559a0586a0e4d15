// The save-and-export writers on large designs, each beside the raw work it cannot beat.
//
// - ASCII save of the kernel benchmark's design (support/design_generator, scaled by
//   TOLVI_BENCH_SCALE, default 1.1: about a million objects and records) at 1/100, 1/10, 4/10
//   and the whole of it, each beside a raw write + fsync of as many bytes. Target: the whole
//   design within 2.5x of its raw write.
// - ZOT3, Scicards and OrCad PCB II exports of a board of 2,000 layout components x 20 pins and
//   5,000 nets x 4 nodes, at the same four fractions. Target: each under 100 ms.
// - The ASCII save of the whole design through the save-and-export window on Qt's offscreen
//   platform: the status line and the yields every 101 records.
//
// Every case reports its first run in this process (what a user waits for) and the best of its
// runs. TOLVI_BENCH_DIR is where the files go (default /tmp).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "common/db_session.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "interchange/exporter.h"
#include "interchange/quvsasc.h"
#include "offscreen_qt.h"
#include "platform/qt/qt_services.h"
#include "support/design_builder.h"

namespace {

using bench::Clock;
using bench::Seconds;
using bench::Timing;

struct Row {
    Row(std::string w, double f) : what(std::move(w)), fraction(f) {}
    std::string what;
    double fraction = 0;
    int64_t lines = 0;
    int64_t bytes = 0;
    Timing time;
    Timing raw;  // the raw write of as many bytes (ASCII rows only)
};

std::string gDir;
std::vector<Row> gRows;
std::string gDesign;  // which design the kernel holds now

const double kFractions[] = {0.01, 0.1, 0.4, 1.0};

std::string OutFile() { return gDir + "/out.txt"; }
std::string RawFile() { return gDir + "/raw.bin"; }

void Adopt(const char* name) {
    tolvi::gDbTitle = name;
    tolvi::UpdateMainCaption(tolvi::gDbHandle);
}

void UseDesign(double fraction) {
    const std::string key = "design " + std::to_string(fraction);
    if (gDesign == key) return;
    tolvi::bench::GenerateDesign(tolvi::bench::DesignSize::Scaled(tolvi::bench::BenchScale(1.1) * fraction));
    Adopt("BENCH");
    gDesign = key;
}

void UseBoard(double fraction) {
    const std::string key = "board " + std::to_string(fraction);
    if (gDesign == key) return;
    tolvi::designs::BuildBoard(tolvi::designs::BoardSize{}.Scaled(fraction));
    Adopt("BOARD");
    gDesign = key;
}

void Measure(Row& row) {
    std::error_code ec;
    row.bytes = int64_t(std::filesystem::file_size(OutFile(), ec));
    FILE* f = std::fopen(OutFile().c_str(), "rb");
    int64_t lines = 0;
    for (int c; f && (c = std::fgetc(f)) != EOF;) lines += c == '\n';
    if (f) std::fclose(f);
    row.lines = lines;
}

void Export(benchmark::State& state, Row& row, int32_t mode) {
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const int32_t result = tolvi::WriteExportFile(mode, OutFile());
        row.time.Add(Seconds(t0, Clock::now()));
        if (result != 0) state.SkipWithError("export failed");
    }
    Measure(row);
    state.counters["lines"] = double(row.lines);
}

// write + fsync of bytes that are ready before the clock starts, into a new file each time as
// the save makes one.
void RawWrite(benchmark::State& state, Row& row) {
    const std::vector<char> bytes(size_t(row.bytes), 'x');
    for (auto _ : state) {
        ::unlink(RawFile().c_str());
        row.raw.Add(bench::WriteAndSync(RawFile(), bytes));
    }
}

// The whole save as the designer runs it: the window's Export button, its status line and its
// yields to the (offscreen) event loop.
void ThroughWindow(benchmark::State& state, Row& row) {
    UseDesign(1.0);
    for (auto _ : state) {
        tolvi::gExportFile = OutFile();
        tolvi::gExportMode = 1;
        tolvi::QUVSASC form;
        form.Form_Load();
        form.show();
        const auto t0 = Clock::now();
        form.F_Continue->click();
        row.time.Add(Seconds(t0, Clock::now()));
    }
    Measure(row);
}

void Register() {
    // ASCII save and its raw write, size by size (the raw write needs the save's byte count).
    for (double f : kFractions) {
        gRows.emplace_back("ascii save", f);
        const size_t i = gRows.size() - 1;
        benchmark::RegisterBenchmark(("ascii_save/" + std::to_string(f)).c_str(),
                                     [i, f](benchmark::State& s) {
                                         UseDesign(f);
                                         Export(s, gRows[i], 1);
                                     })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(f < 0.5 ? 0.5 : 2.0);
        benchmark::RegisterBenchmark(("raw_write/" + std::to_string(f)).c_str(),
                                     [i](benchmark::State& s) { RawWrite(s, gRows[i]); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    }
    const std::pair<int32_t, const char*> netlists[] = {{2, "zot3"}, {3, "scicards"}, {4, "orcad"}};
    for (double f : kFractions)
        for (const auto& [mode, name] : netlists) {
            gRows.emplace_back(name, f);
            const size_t i = gRows.size() - 1;
            benchmark::RegisterBenchmark((std::string(name) + "/" + std::to_string(f)).c_str(),
                                         [i, f, mode = mode](benchmark::State& s) {
                                             UseBoard(f);
                                             Export(s, gRows[i], mode);
                                         })
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.5);
        }
    gRows.emplace_back("ascii save, window", 1.0);
    const size_t w = gRows.size() - 1;
    benchmark::RegisterBenchmark("ascii_save_window",
                                 [w](benchmark::State& s) { ThroughWindow(s, gRows[w]); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
}

void Report() {
    const double ms = 1000;
    std::printf("\n%-20s %8s %10s %8s %10s %9s %10s %9s %7s %7s %8s\n", "case", "fraction", "lines", "MB",
                "first ms", "best ms", "raw first", "raw best", "ratio", "ratio", "ns/line");
    std::printf("%-20s %8s %10s %8s %10s %9s %10s %9s %7s %7s %8s\n", "", "", "", "", "", "", "", "", "first",
                "best", "(best)");
    for (const Row& r : gRows) {
        const bool raw = r.raw.runs > 0;
        std::printf("%-20s %8.2f %10lld %8.2f %10.1f %9.1f", r.what.c_str(), r.fraction, (long long)r.lines,
                    r.bytes / 1e6, r.time.first * ms, r.time.best * ms);
        if (raw)
            std::printf(" %10.1f %9.1f %7.2f %7.2f", r.raw.first * ms, r.raw.best * ms,
                        r.time.first / r.raw.first, r.time.best / r.raw.best);
        else
            std::printf(" %10s %9s %7s %7s", "", "", "", "");
        std::printf(" %8.0f\n", r.lines ? r.time.best * 1e9 / double(r.lines) : 0.0);
    }
    std::printf(
        "ratio: ASCII save / raw write + fsync of as many bytes into a new file, first runs and best"
        " runs (target <= 2.5 for the whole design); netlists of the whole board: target < 100 ms"
        " each\n");
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("peak resident memory %.1f MB\n", ru.ru_maxrss / 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenQt();
    QApplication app(argc, argv);
    tolvi::platform::InstallQtServices();
    const char* dir = std::getenv("TOLVI_BENCH_DIR");
    std::string tmpl = std::string(dir ? dir : "/tmp") + "/interchange-bench-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return 1;
    gDir = tmpl;
    tolvi::gIniFile = gDir + "/TOLVI32.INI";
    tolvi::LoadAllOptionSets();
    tolvi::gDbTitle = "Untitled";
    tolvi::CreateEmptyDatabase();

    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Report();

    std::filesystem::remove_all(gDir);
    return 0;
}
