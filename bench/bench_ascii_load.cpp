// The ASCII load on the kernel benchmark's design, beside the raw read of the same file.
//
// - The writer's file of the design (support/design_generator, scaled by TOLVI_BENCH_SCALE,
//   default 1.1: about a million objects and records) at 1/100, 1/10, 4/10 and the whole of it:
//   four sizes over 100x. Each load (open, read, parse, rebuild in the kernel, close) beside an
//   honest raw read of the file: read whole in 1 MiB pieces into a reused, page-aligned buffer
//   made and paged in before the clock starts, the file in the page cache. Each figure is given
//   as the first run in a fresh process (this program started again, the median of
//   TOLVI_BENCH_FRESH runs, default 7) beside the best of many runs in this one. Targets: the
//   whole design within 30x of its raw read (best of many); time per line the same at every
//   size (linear).
// - The heap in use after the whole design's load, beside that after a .TPB load of the same
//   design (both the kernel's arenas and the allocator's bytes in use), after many loads in this
//   process and after the first load in a fresh one. Target: at most 1.05x the .TPB load's. And
//   the peak of the first load in a fresh process: the resident set's high water mark above what
//   the process held before, beside the heap the loaded database holds (target: at most that +
//   32 MiB).
// - The load window's whole sequence (option sets, reader, store of the settings) on the whole
//   design, and the older-unit conversion of the whole design made in the older units. Target for
//   the conversion: under 1 s.
// - Beside them, where the load's time goes: the lines read and split into fields alone, and the
//   same design made through the kernel's flat functions without any file.
//
// TOLVI_BENCH_DIR is where the files go (default /tmp).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_session.h"
#include "bench_timing.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/grid_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "interchange/ascii_lines.h"
#include "interchange/ascii_loader.h"
#include "interchange/exporter.h"
#include "interchange/unit_conversion.h"
#include "offscreen_qt.h"
#include "platform/text_files.h"
#include "support/design_generator.h"

namespace {

using bench::Clock;
using bench::HeapInUse;
using bench::Median;
using bench::Seconds;
using bench::Timing;

struct Size {
    double fraction = 0;
    std::string file;  // the .TPA
    std::string tpb;   // the same design as .TPB
    int64_t bytes = 0;
    int64_t lines = 0;
    Timing load;
    Timing raw;
    std::vector<double> freshLoad, freshRaw;  // first runs in fresh processes
};

std::string gDir;
std::vector<Size> gSizes;
Timing gWindow;
Timing gConversion;
Timing gSplit;      // the whole design's lines read and split into fields, nothing more
double gBuild = 0;  // the whole design made through the kernel's flat functions

// The heap the whole design holds once loaded from each form: after many loads in this process,
// and after the first load in a fresh one (medians).
double gHeapAscii = 0, gHeapTpb = 0;
std::vector<double> gFreshHeapAscii, gFreshHeapTpb;
std::vector<double> gFreshPeak;  // the first load's peak above the database it leaves

const double kFractions[] = {0.01, 0.1, 0.4, 1.0};

// A field of /proc/self/status in bytes.
double Status(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string k = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.rfind(k, 0) == 0) return std::atof(line.c_str() + k.size()) * 1024;
    return 0;
}

tolvi::bench::DesignSize SizeOf(double fraction) {
    return tolvi::bench::DesignSize::Scaled(tolvi::bench::BenchScale(1.1) * fraction);
}

// open + read + parse + rebuild + close: what the reader does for the window.
int32_t ReadFile(const std::string& path) { return tolvi::AsciiLoader().ReadFile(path); }

void Load(benchmark::State& state, Size& s) {
    for (auto _ : state) {
        // The File menu clears the database before a load: the reader finds an empty one.
        state.PauseTiming();
        DB_DiscardDataBase();
        state.ResumeTiming();
        const auto t0 = Clock::now();
        const int32_t result = ReadFile(s.file);
        s.load.Add(Seconds(t0, Clock::now()));
        if (result != 0) state.SkipWithError("load failed");
    }
    state.counters["lines"] = double(s.lines);
}

void RawRead(benchmark::State& state, Size& s) {
    bench::ReadBuffer buf(size_t(s.bytes));
    for (auto _ : state) {
        const auto t0 = Clock::now();
        if (!buf.ReadFile(s.file)) state.SkipWithError("read failed");
        s.raw.Add(Seconds(t0, Clock::now()));
    }
}

// The lines of the whole design's file as the reader takes them: read, cut and split into
// fields (numbers converted), and nothing done with them.
void Split(benchmark::State& state) {
    for (auto _ : state) {
        const auto t0 = Clock::now();
        int err = 0, file = 0;
        tolvi::OpenForInput(err, file, gSizes.back().file);
        int64_t count = 0;
        {
            tolvi::AsciiLines lines(file, tolvi::kMaxAsciiLineBytes);
            for (tolvi::AsciiLine line; lines.Next(line);) count += line.count;
        }
        tolvi::CloseFileOptKill(0, file, gSizes.back().file);
        gSplit.Add(Seconds(t0, Clock::now()));
        benchmark::DoNotOptimize(count);
    }
}

void Window(benchmark::State& state) {
    for (auto _ : state) {
        tolvi::gExportFile = gSizes.back().file;
        tolvi::AsciiLoader loader;
        loader.FormLoad();
        std::string message;
        const auto t0 = Clock::now();
        const int32_t result = loader.Continue(message);
        gWindow.Add(Seconds(t0, Clock::now()));
        if (result != 0) state.SkipWithError("load failed");
    }
}

// The option tables as an older-form file's settings records leave them.
void OlderTables() {
    for (auto* t : {&tolvi::gSchGrid, &tolvi::gSchSnap, &tolvi::gLayGrid, &tolvi::gLaySnap})
        for (int i = 1; i <= 6; ++i) (*t)[size_t(i)] = 10 * i;
    tolvi::gAngleSnap = {1, 4500, 9000, 0, 0, 0, 0};
    for (auto& row : tolvi::gCondSizes) row = {10, 20, 30};
    tolvi::gBusWidth = 2;
    for (TextSizeRec& t : tolvi::gTextSizes) t = {10, 10, 1};
}

void Conversion(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        tolvi::bench::DesignSize z = SizeOf(1.0);
        z.olderUnits = true;
        tolvi::bench::GenerateDesign(z);
        tolvi::UpdateMainCaption(tolvi::gDbHandle);
        OlderTables();
        state.ResumeTiming();
        const auto t0 = Clock::now();
        const bool converted = tolvi::ConvertLoadedDatabase();
        gConversion.Add(Seconds(t0, Clock::now()));
        if (!converted) {
            state.SkipWithError("overflow");
            break;
        }
    }
}

void WriteFiles() {
    for (double f : kFractions) {
        Size s;
        s.fraction = f;
        s.file = gDir + "/design-" + std::to_string(f) + ".TPA";
        s.tpb = gDir + "/design-" + std::to_string(f) + ".TPB";
        const auto t0 = Clock::now();
        tolvi::bench::GenerateDesign(SizeOf(f));
        if (f == 1.0) gBuild = Seconds(t0, Clock::now());
        tolvi::gDbTitle = "BENCH";
        tolvi::UpdateMainCaption(tolvi::gDbHandle);
        if (tolvi::WriteExportFile(1, s.file) != 0 || !DB_SaveDataBase(s.tpb.c_str())) std::abort();
        s.bytes = int64_t(std::filesystem::file_size(s.file));
        std::ifstream in(s.file, std::ios::binary);
        for (std::string line; std::getline(in, line);) ++s.lines;
        gSizes.push_back(s);
    }
}

// The heap the whole design holds after a load of each form, the database before it discarded.
void MeasureHeaps() {
    DB_DiscardDataBase();
    malloc_trim(0);
    double before = double(HeapInUse());
    if (ReadFile(gSizes.back().file) != 0) std::abort();
    gHeapAscii = double(HeapInUse()) - before;
    DB_DiscardDataBase();
    malloc_trim(0);
    before = double(HeapInUse());
    if (!DB_LoadDataBase(gSizes.back().tpb.c_str())) std::abort();
    gHeapTpb = double(HeapInUse()) - before;
}

// --- fresh processes ---------------------------------------------------------------------------

// The settings and the empty database the program starts with, and a fixed version.
void StartAsTheProgram(const std::string& dir) {
    tolvi::gSysVer = "1.0";
    bench::StartAsTheProgram(dir);
}

// Child: the first load of this process of a .TPA (mode "ascii") or .TPB ("tpb") file: its time,
// the heap the loaded database holds, and the resident set's high water mark above what the
// process held before.
int FreshLoad(const std::string& mode, const std::string& path) {
    StartAsTheProgram(std::filesystem::path(path).parent_path().string());
    const int64_t before = HeapInUse();
    const double resident = Status("VmRSS");
    const auto t0 = Clock::now();
    const bool ok = mode == "ascii" ? ReadFile(path) == 0 : DB_LoadDataBase(path.c_str()) != 0;
    const double s = Seconds(t0, Clock::now());
    if (!ok) return 1;
    std::printf("%.9f %lld %.0f\n", s, (long long)(HeapInUse() - before), Status("VmHWM") - resident);
    return 0;
}

void MeasureFresh() {
    for (int i = 0; i < bench::FreshRuns(); ++i) {
        for (Size& s : gSizes) {
            const std::string read = bench::RunSelf({"--fresh-read", s.file});
            const std::string load = bench::RunSelf({"--fresh-load", "ascii", s.file});
            if (read.empty() || load.empty()) {
                std::printf("a fresh process failed\n");
                return;
            }
            s.freshRaw.push_back(std::atof(read.c_str()));
            double t = 0, peak = 0;
            long long heap = 0;
            std::sscanf(load.c_str(), "%lf %lld %lf", &t, &heap, &peak);
            s.freshLoad.push_back(t);
            if (&s == &gSizes.back()) {
                gFreshHeapAscii.push_back(double(heap));
                gFreshPeak.push_back(peak - double(heap));
            }
        }
        const std::string tpb = bench::RunSelf({"--fresh-load", "tpb", gSizes.back().tpb});
        double t = 0;
        long long heap = 0;
        if (std::sscanf(tpb.c_str(), "%lf %lld", &t, &heap) == 2) gFreshHeapTpb.push_back(double(heap));
    }
}

void Report() {
    const double ms = 1000, mib = 1024.0 * 1024.0;
    std::printf("\n%-9s %9s %7s %10s %9s %10s %9s %7s %7s %8s %8s\n", "fraction", "lines", "MB", "load",
                "load", "raw read", "raw read", "ratio", "ratio", "ns/line", "ns/line");
    std::printf("%-9s %9s %7s %10s %9s %10s %9s %7s %7s %8s %8s\n", "", "", "", "fresh ms", "best ms",
                "fresh ms", "best ms", "fresh", "best", "fresh", "best");
    for (const Size& s : gSizes) {
        const double freshLoad = Median(s.freshLoad), freshRaw = Median(s.freshRaw);
        std::printf("%-9.2f %9lld %7.2f %10.1f %9.1f %10.2f %9.2f %7.1f %7.1f %8.0f %8.0f\n", s.fraction,
                    (long long)s.lines, double(s.bytes) / 1e6, freshLoad * ms, s.load.best * ms,
                    freshRaw * ms, s.raw.best * ms, freshRaw > 0 ? freshLoad / freshRaw : 0,
                    s.load.best / s.raw.best, freshLoad * 1e9 / double(s.lines),
                    s.load.best * 1e9 / double(s.lines));
    }
    std::printf(
        "ratio: ASCII load (open, read, parse, rebuild, close) / honest raw read (the file whole into a "
        "reused, paged-in, page-aligned buffer, page cache); fresh: first run in a fresh process, median "
        "of %d; best: best of many in this process. Target: <= 30 for the whole design (best); ns/line "
        "the same at every size (linear)\n",
        bench::FreshRuns());
    std::printf(
        "where the whole design's load goes: raw read %.1f ms, lines read and split into fields %.1f ms "
        "(best), the same design made through the kernel's flat functions without a file %.1f ms\n",
        gSizes.back().raw.best * ms, gSplit.best * ms, gBuild * ms);
    const double freshAscii = Median(gFreshHeapAscii), freshTpb = Median(gFreshHeapTpb);
    std::printf(
        "heap in use after the whole design's load: ASCII %.1f MiB, .TPB %.1f MiB, ratio %.3f (target <= "
        "1.05), after many loads in this process; ASCII %.1f MiB, .TPB %.1f MiB, ratio %.3f after the "
        "first load in a fresh process\n",
        gHeapAscii / mib, gHeapTpb / mib, gHeapTpb > 0 ? gHeapAscii / gHeapTpb : 0, freshAscii / mib,
        freshTpb / mib, freshTpb > 0 ? freshAscii / freshTpb : 0);
    std::printf(
        "peak of the whole design's first load in a fresh process: the resident set's high water mark rose "
        "%.1f MiB more than the heap the database holds (target <= 32)\n",
        Median(gFreshPeak) / mib);
    std::printf("load window, whole design: first %.1f ms, best %.1f ms\n", gWindow.first * ms,
                gWindow.best * ms);
    std::printf("older-unit conversion, whole design: first %.1f ms, best %.1f ms (target < 1000)\n",
                gConversion.first * ms, gConversion.best * ms);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--fresh-load") == 0) return FreshLoad(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--fresh-read") == 0) return bench::FreshRawRead(argv[2]);
    UseOffscreenQt();
    QApplication app(argc, argv);
    gDir = bench::MakeBenchDir("ascii-load-bench");
    if (gDir.empty()) return 1;
    StartAsTheProgram(gDir);

    WriteFiles();
    MeasureHeaps();
    for (Size& s : gSizes) {
        const std::string f = std::to_string(s.fraction);
        benchmark::RegisterBenchmark(("ascii_load/" + f).c_str(), [&s](benchmark::State& st) { Load(st, s); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(s.fraction < 0.5 ? 0.5 : 2.0);
        benchmark::RegisterBenchmark(("raw_read/" + f).c_str(),
                                     [&s](benchmark::State& st) { RawRead(st, s); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    }
    benchmark::RegisterBenchmark("read_and_split", Split)->Unit(benchmark::kMillisecond)->MinTime(0.5);
    benchmark::RegisterBenchmark("ascii_load_window", Window)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("older_unit_conversion", Conversion)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    MeasureFresh();
    Report();

    std::filesystem::remove_all(gDir);
    return 0;
}
