// The save-and-export writers on large designs, each beside the raw work it cannot beat.
//
// - ASCII save of the kernel benchmark's design (support/design_generator, scaled by
//   TOLVI_BENCH_SCALE, default 1.1: about a million objects and records) at 1/100, 1/10, 4/10
//   and the whole of it (four sizes over 100x), each beside a raw write + fsync of as many bytes
//   into a new file; the save too makes its file where none is (the one of the last run removed
//   before the clock starts). Each figure is given as the first run in a fresh process (this program
//   started again, the median of TOLVI_BENCH_FRESH runs, default 7) beside the best of many runs
//   in this one. Targets: the whole design within 2.5x of its raw write (best of many); time per
//   line the same at every size (linear).
// - ZOT3, Scicards and OrCad PCB II exports of a board of 2,000 layout components x 20 pins and
//   5,000 nets x 4 nodes, at the same four fractions. Target: each under 100 ms.
// - The ASCII save of the whole design through the save-and-export window on Qt's offscreen
//   platform: the status line and the yields every 101 records.
//
// TOLVI_BENCH_DIR is where the files go (default /tmp).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench_session.h"
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
    Timing raw;                               // the raw write of as many bytes (ASCII rows only)
    std::vector<double> freshTime, freshRaw;  // first runs in fresh processes (ASCII rows only)
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
        // A new file, as the raw write makes one: the last run's file is gone before the clock
        // starts (replacing it would free its pages inside the save's rename).
        ::unlink(OutFile().c_str());
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
        ::unlink(OutFile().c_str());
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

// --- fresh processes ---------------------------------------------------------------------------

// Child: the program's start, the design made, then the first ASCII save of this process.
int FreshSave(double fraction, const std::string& dir) {
    gDir = dir;
    bench::StartAsTheProgram(gDir);
    UseDesign(fraction);
    ::unlink(OutFile().c_str());
    const auto t0 = Clock::now();
    if (tolvi::WriteExportFile(1, OutFile()) != 0) return 1;
    std::printf("%.9f\n", bench::Seconds(t0, Clock::now()));
    return 0;
}

// Child: the first raw write + fsync of this process, of bytes made beforehand.
int FreshWrite(int64_t bytes, const std::string& dir) {
    gDir = dir;
    const std::vector<char> b(size_t(bytes), 'x');
    ::unlink(RawFile().c_str());
    std::printf("%.9f\n", bench::WriteAndSync(RawFile(), b));
    return 0;
}

void MeasureFresh() {
    for (int i = 0; i < bench::FreshRuns(); ++i)
        for (Row& r : gRows) {
            if (r.what != "ascii save") continue;
            const std::string save = bench::RunSelf({"--fresh-save", std::to_string(r.fraction), gDir});
            const std::string raw = bench::RunSelf({"--fresh-write", std::to_string(r.bytes), gDir});
            if (save.empty() || raw.empty()) {
                std::printf("a fresh process failed\n");
                return;
            }
            r.freshTime.push_back(std::atof(save.c_str()));
            r.freshRaw.push_back(std::atof(raw.c_str()));
        }
}

void Report() {
    const double ms = 1000;
    std::printf("\n%-20s %8s %10s %8s %10s %9s %10s %9s %7s %7s %8s\n", "case", "fraction", "lines", "MB",
                "fresh ms", "best ms", "raw fresh", "raw best", "ratio", "ratio", "ns/line");
    std::printf("%-20s %8s %10s %8s %10s %9s %10s %9s %7s %7s %8s\n", "", "", "", "", "", "", "", "", "fresh",
                "best", "(best)");
    for (const Row& r : gRows) {
        if (r.time.runs == 0) continue;  // not run (filtered out)
        const bool raw = r.raw.runs > 0;
        const double fresh = bench::Median(r.freshTime), freshRaw = bench::Median(r.freshRaw);
        std::printf("%-20s %8.2f %10lld %8.2f", r.what.c_str(), r.fraction, (long long)r.lines,
                    double(r.bytes) / 1e6);
        if (fresh > 0)
            std::printf(" %10.1f", fresh * ms);
        else
            std::printf(" %10s", "");
        std::printf(" %9.1f", r.time.best * ms);
        if (raw)
            std::printf(" %10.1f %9.1f %7.2f %7.2f", freshRaw * ms, r.raw.best * ms,
                        freshRaw > 0 ? fresh / freshRaw : 0, r.time.best / r.raw.best);
        else
            std::printf(" %10s %9s %7s %7s", "", "", "", "");
        std::printf(" %8.0f\n", r.lines ? r.time.best * 1e9 / double(r.lines) : 0.0);
    }
    std::printf(
        "ratio: ASCII save / raw write + fsync of as many bytes into a new file; fresh: the first run in a "
        "fresh process (median of %d), best: the best of many in this one (target <= 2.5 for the whole "
        "design, best); netlists of the whole board: target < 100 ms each\n",
        bench::FreshRuns());
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("peak resident memory %.1f MB\n", double(ru.ru_maxrss) / 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--fresh-save") == 0) return FreshSave(std::atof(argv[2]), argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--fresh-write") == 0)
        return FreshWrite(std::atoll(argv[2]), argv[3]);
    UseOffscreenQt();
    QApplication app(argc, argv);
    tolvi::platform::InstallQtServices();
    gDir = bench::MakeBenchDir("interchange-bench");
    if (gDir.empty()) return 1;
    bench::StartAsTheProgram(gDir);

    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    MeasureFresh();
    Report();

    std::filesystem::remove_all(gDir);
    return 0;
}
