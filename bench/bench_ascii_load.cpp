// The ASCII load on the kernel benchmark's design, beside the raw read of the same file.
//
// - The writer's file of the design (support/design_generator, scaled by TOLVI_BENCH_SCALE,
//   default 1.1: about a million objects and records) at 1/100, 1/10, 4/10 and the whole of it.
//   Each load (open, read, parse, rebuild in the kernel, close) beside a raw read of the file:
//   read(2) in 64 KiB blocks into one buffer made before the clock starts, the file in the page
//   cache. Targets: the whole design within 4x of its raw read; time per line the same at every
//   size (linear).
// - Peak memory of the whole design's load (the first in this process): the resident set's high
//   water mark above what the process held before, beside the heap the loaded database holds.
//   Target: at most the loaded database + 32 MiB.
// - The load window's whole sequence (option sets, reader, store of the settings) on the whole
//   design, and the older-unit conversion of the whole design made in the older units. Target for
//   the conversion: under 1 s.
// - Beside them, where the load's time goes: the lines read and split into fields alone, and the
//   same design made through the kernel's flat functions without any file.
//
// Every case reports its first run in this process (what a user waits for) and the best of its
// runs. TOLVI_BENCH_DIR is where the files go (default /tmp).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/grid_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "interchange/ascii_loader.h"
#include "interchange/exporter.h"
#include "interchange/unit_conversion.h"
#include "offscreen_qt.h"
#include "platform/text_files.h"
#include "support/design_generator.h"

namespace {

using bench::Clock;
using bench::Seconds;
using bench::Timing;

struct Size {
    double fraction = 0;
    std::string file;
    int64_t bytes = 0;
    int64_t lines = 0;
    Timing load;
    Timing raw;
};

std::string gDir;
std::vector<Size> gSizes;
Timing gWindow;
Timing gConversion;
Timing gSplit;      // the whole design's lines read and split into fields, nothing more
double gBuild = 0;  // the whole design made through the kernel's flat functions
double gMemBase = 0, gMemPeak = 0, gMemDatabase = 0;

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

double HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
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
    std::vector<char> block(std::size_t{64} * 1024, 1);
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const int fd = ::open(s.file.c_str(), O_RDONLY | O_CLOEXEC);
        int64_t total = 0;
        for (ssize_t r; fd >= 0 && (r = ::read(fd, block.data(), block.size())) > 0;) total += r;
        if (fd >= 0) ::close(fd);
        s.raw.Add(Seconds(t0, Clock::now()));
        benchmark::DoNotOptimize(total);
    }
}

void Split(benchmark::State& state) {
    std::string line;
    std::vector<std::string_view> fields;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        int err = 0, file = 0;
        tolvi::OpenForInput(err, file, gSizes.back().file);
        int64_t count = 0;
        while (tolvi::platform::ReadLine(file, line, tolvi::kMaxAsciiLineBytes)) {
            tolvi::SplitList(line, fields);
            count += int64_t(fields.size());
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
        const auto t0 = Clock::now();
        tolvi::bench::GenerateDesign(SizeOf(f));
        if (f == 1.0) gBuild = Seconds(t0, Clock::now());
        tolvi::gDbTitle = "BENCH";
        tolvi::UpdateMainCaption(tolvi::gDbHandle);
        if (tolvi::WriteExportFile(1, s.file) != 0) std::abort();
        s.bytes = int64_t(std::filesystem::file_size(s.file));
        std::ifstream in(s.file, std::ios::binary);
        for (std::string line; std::getline(in, line);) ++s.lines;
        gSizes.push_back(s);
    }
}

// The whole design's first load, with the memory it takes on the way.
void MeasureMemory() {
    DB_DiscardDataBase();
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // the high water mark starts again from here
    gMemBase = Status("VmRSS");
    const double heap = HeapInUse();
    const auto t0 = Clock::now();
    if (ReadFile(gSizes.back().file) != 0) std::abort();
    gSizes.back().load.Add(Seconds(t0, Clock::now()));
    gMemPeak = Status("VmHWM");
    gMemDatabase = HeapInUse() - heap;
}

void Report() {
    const double ms = 1000, mib = 1024.0 * 1024.0;
    std::printf("\n%-10s %10s %8s %10s %9s %10s %9s %7s %7s %8s\n", "fraction", "lines", "MB", "first ms",
                "best ms", "raw first", "raw best", "ratio", "ratio", "ns/line");
    std::printf("%-10s %10s %8s %10s %9s %10s %9s %7s %7s %8s\n", "", "", "", "", "", "", "", "first", "best",
                "(best)");
    for (const Size& s : gSizes)
        std::printf("%-10.2f %10lld %8.2f %10.1f %9.1f %10.2f %9.2f %7.1f %7.1f %8.0f\n", s.fraction,
                    (long long)s.lines, s.bytes / 1e6, s.load.first * ms, s.load.best * ms, s.raw.first * ms,
                    s.raw.best * ms, s.load.first / s.raw.first, s.load.best / s.raw.best,
                    s.load.best * 1e9 / double(s.lines));
    std::printf(
        "ratio: ASCII load (open, read, parse, rebuild, close) / raw read of the file in 64 KiB blocks, "
        "page cache (target <= 4 for the whole design); ns/line the same at every size (linear)\n");
    std::printf(
        "where the whole design's load goes: raw read %.1f ms, lines read and split %.1f ms (best), the "
        "same design made through the kernel's flat functions without a file %.1f ms\n",
        gSizes.back().raw.best * ms, gSplit.best * ms, gBuild * ms);
    std::printf(
        "memory of the whole design's load: peak %.1f MiB above the %.1f MiB before it, loaded database "
        "%.1f MiB, peak - database = %.1f MiB (target <= 32)\n",
        (gMemPeak - gMemBase) / mib, gMemBase / mib, gMemDatabase / mib,
        (gMemPeak - gMemBase - gMemDatabase) / mib);
    std::printf("load window, whole design: first %.1f ms, best %.1f ms\n", gWindow.first * ms,
                gWindow.best * ms);
    std::printf("older-unit conversion, whole design: first %.1f ms, best %.1f ms (target < 1000)\n",
                gConversion.first * ms, gConversion.best * ms);
}

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenQt();
    QApplication app(argc, argv);
    const char* dir = std::getenv("TOLVI_BENCH_DIR");
    std::string tmpl = std::string(dir ? dir : "/tmp") + "/ascii-load-bench-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return 1;
    gDir = tmpl;
    tolvi::gIniFile = gDir + "/TOLVI32.INI";
    tolvi::gSysVer = "1.0";
    tolvi::LoadAllOptionSets();
    tolvi::gDbTitle = "Untitled";
    tolvi::CreateEmptyDatabase();

    WriteFiles();
    MeasureMemory();
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
    Report();

    std::filesystem::remove_all(gDir);
    return 0;
}
