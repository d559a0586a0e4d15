// The design kernel on a large synthetic design: build through the flat functions, a walk of
// every map, .TPB save and load, beside a raw write (write + fsync) and read of the same bytes.
//
// The raw read is the honest floor: a reused, page-aligned buffer, already paged in, read in 1 MiB
// pieces, so only the reading is timed. Beside the best of many loads in one process, the load a
// designer waits for is measured too: the first one in a fresh process (this program started
// again per measurement), with the allocator's figures after it.
//
// TOLVI_BENCH_SCALE scales the design (default 0.2, about 190 000 objects and records; 1.1 gives
// just over a million). TOLVI_BENCH_DIR is where the files go (default /tmp). TOLVI_BENCH_FRESH
// is the number of fresh processes per figure (default 7).
// Targets: save <= 2x raw write+fsync; load <= 3x raw read; first load in a fresh process <= 4x a
// raw read in a fresh process; memory in use after that load <= 2.5x the file size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "kernel/arena.h"
#include "kernel/kernel.h"
#include "support/design_generator.h"

namespace {

using ::bench::Clock;
using ::bench::HeapInUse;
using ::bench::Median;
using ::bench::ReadBuffer;
using ::bench::Seconds;
using tolvi::bench::DesignCounts;

struct Figures {
    double build = 1e30, walk = 1e30, save = 1e30, load = 1e30, rawWrite = 1e30, rawRead = 1e30;
    double loadCold = 1e30, rawReadCold = 1e30;
    size_t fileBytes = 0;
    int64_t loadedBytes = 0;
    int64_t walked = 0;
    DesignCounts counts;
} g;

std::string gDir;
std::string File() { return gDir + "/bench.tpb"; }
std::string RawFile() { return gDir + "/raw.bin"; }

// What the allocator has taken from the system, in use or not (every arena), and the kernel's.
int64_t HeapHeld() {
    const struct mallinfo2 m = mallinfo2();
    return int64_t(m.arena + m.hblkhd + tolvi::kernel::Arena::MappedBytes() +
                   tolvi::kernel::Arena::KeptBytes());
}

int64_t ResidentBytes() {
    std::ifstream in("/proc/self/statm");
    int64_t size = 0, resident = 0;
    in >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

int64_t MappedRegions() {
    std::ifstream in("/proc/self/maps");
    int64_t n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

void EnsureDesign() {
    if (!DB_DataBase())
        g.counts =
            tolvi::bench::GenerateDesign(tolvi::bench::DesignSize::Scaled(tolvi::bench::BenchScale(0.2)));
}

int64_t WalkMap(int32_t map, auto&& each) {
    int64_t n = 0;
    int32_t c = OM_GetFirst(map);
    while (int32_t k = OM_SearchMask(map, c, 0, 0)) {
        each(k);
        ++n;
    }
    return n;
}

int64_t WalkItems(int32_t array) {
    ItemRec r;
    const int32_t n = OA_GetCount(array);
    for (int32_t i = 1; i <= n; ++i) I_ReadItem(OA_Object(array, i), r);
    return n;
}

// Every map and array of the design, reading each object's record as an exporter would.
int64_t WalkEverything() {
    int64_t n = 0;
    n += WalkMap(DB_SymbMap(), [&](int32_t k) {
        SymbolRec s;
        EntryRec e;
        S_ReadSymbol(k, s);
        for (int32_t i = 1; i <= s.EntryCount; ++i) S_ReadEntry(k, i, e);
        n += s.EntryCount + WalkItems(S_SymbolItemArray(k));
    });
    n += WalkMap(DB_DeviceMap(), [&](int32_t k) {
        DeviceRec d;
        D_ReadDevice(k, d);
    });
    const int32_t cur = DB_CurHier();
    n += WalkMap(DB_HierarchyMap(), [&](int32_t h) {
        DB_SetCurHier(h);
        n += WalkMap(DB_NetMap(), [&](int32_t k) {
            NetRec r;
            N_ReadNet(k, r);
            n += WalkMap(N_NodeMap(k), [&](int32_t d) {
                NodeRec nr;
                N_ReadNode(k, d, nr);
            });
        });
        n += WalkMap(DB_SchCompMap(), [&](int32_t k) {
            SchCompRec r;
            C_ReadComponent(k, r);
            n += WalkItems(C_CompTextArray(k));
        });
        n += WalkMap(DB_BranchMap(), [&](int32_t k) {
            BranchRec r;
            BranchPointRec p;
            B_ReadBranch(k, r);
            for (int32_t i = 1; i <= r.PointCount; ++i) B_ReadRecord(k, i, p);
            n += r.PointCount;
        });
        n += WalkMap(DB_JunctMap(), [&](int32_t k) {
            JunctionRec r;
            J_ReadJunction(k, r);
        });
        n += WalkMap(DB_LayCompMap(), [&](int32_t k) {
            LayCompRec r;
            L_ReadComponent(k, r);
            n += WalkItems(L_CompTextArray(k));
        });
        n += WalkMap(DB_TraceMap(), [&](int32_t k) {
            TraceRec r;
            TraceSegRec s;
            T_ReadTrace(k, r);
            for (int32_t i = 1; i <= r.SegmentCount; ++i) T_ReadRecord(k, i, s);
            n += r.SegmentCount;
        });
        n += WalkMap(DB_BendPointMap(), [&](int32_t k) {
            BendPointRec r;
            T_ReadBendPoint(k, r);
        });
        n += WalkMap(DB_ViaMap(), [&](int32_t k) {
            ViaRec r;
            V_ReadVia(k, r);
        });
        n += WalkMap(DB_PageMap(), [](int32_t) {});
        n += WalkItems(DB_LayoutTextArray());
    });
    DB_SetCurHier(cur);
    return n;
}

void BM_Build(benchmark::State& state) {
    for (auto _ : state) {
        const auto t0 = Clock::now();
        g.counts =
            tolvi::bench::GenerateDesign(tolvi::bench::DesignSize::Scaled(tolvi::bench::BenchScale(0.2)));
        g.build = std::min(g.build, Seconds(t0, Clock::now()));
    }
    state.counters["objects"] = double(g.counts.objects);
    state.counters["records"] = double(g.counts.records);
}

void BM_Walk(benchmark::State& state) {
    EnsureDesign();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        g.walked = WalkEverything();
        benchmark::DoNotOptimize(g.walked);
        g.walk = std::min(g.walk, Seconds(t0, Clock::now()));
    }
    state.counters["visited"] = double(g.walked);
}

void BM_Save(benchmark::State& state) {
    EnsureDesign();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        if (!DB_SaveDataBase(File().c_str())) state.SkipWithError("save failed");
        g.save = std::min(g.save, Seconds(t0, Clock::now()));
    }
    FILE* f = std::fopen(File().c_str(), "rb");
    if (f) {
        std::fseek(f, 0, SEEK_END);
        g.fileBytes = size_t(std::ftell(f));
        std::fclose(f);
    }
    state.counters["file_bytes"] = double(g.fileBytes);
}

void BM_RawWrite(benchmark::State& state) {
    const std::vector<char> bytes(g.fileBytes, 'x');
    for (auto _ : state) {
        g.rawWrite = std::min(g.rawWrite, ::bench::WriteAndSync(RawFile(), bytes));
    }
}

// Drops the file's pages from the page cache, so the next read comes from the disk.
void DropCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

void BM_Load(benchmark::State& state) {
    const bool cold = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        if (cold) DropCache(File());
        DB_DiscardDataBase();
        malloc_trim(0);
        const int64_t before = HeapInUse();
        state.ResumeTiming();
        const auto t0 = Clock::now();
        if (!DB_LoadDataBase(File().c_str())) state.SkipWithError("load failed");
        double& best = cold ? g.loadCold : g.load;
        best = std::min(best, Seconds(t0, Clock::now()));
        g.loadedBytes = HeapInUse() - before;
    }
    state.counters["db_bytes"] = double(g.loadedBytes);
}

void BM_RawRead(benchmark::State& state) {
    const bool cold = state.range(0);
    ReadBuffer buf(g.fileBytes);
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            DropCache(RawFile());
            state.ResumeTiming();
        }
        const auto t0 = Clock::now();
        if (!buf.ReadFile(RawFile())) state.SkipWithError("read failed");
        double& best = cold ? g.rawReadCold : g.rawRead;
        best = std::min(best, Seconds(t0, Clock::now()));
    }
}

BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Walk)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RawWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
// Argument 0: the file is in the page cache; 1: it is read from the disk.
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Arg(0)->Arg(1);
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Arg(0)->Arg(1);

// --- fresh processes -----------------------------------------------------------------------

struct Fresh {
    std::vector<double> load, read;
    int64_t inUse = 0, held = 0, resident = 0, regions = 0;  // after the last first load
} gFresh;

// Child: the first load of this process, after the empty database the manager starts with.
int FreshLoad(const char* path) {
    DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE");
    const int64_t inUse = HeapInUse(), held = HeapHeld(), regions = MappedRegions();
    const auto t0 = Clock::now();
    if (!DB_LoadDataBase(path)) return 1;
    const double s = Seconds(t0, Clock::now());
    std::printf("%.9f %lld %lld %lld %lld\n", s, (long long)(HeapInUse() - inUse),
                (long long)(HeapHeld() - held), (long long)ResidentBytes(),
                (long long)(MappedRegions() - regions));
    return 0;
}

void MeasureFresh() {
    for (int i = 0; i < ::bench::FreshRuns(); ++i) {
        // The raw file holds as many bytes as the database file; both stay in the page cache.
        const std::string read = ::bench::RunSelf({"--fresh-read", RawFile()});
        const std::string load = ::bench::RunSelf({"--fresh-load", File()});
        if (read.empty() || load.empty()) {
            std::printf("a fresh process failed\n");
            return;
        }
        gFresh.read.push_back(std::atof(read.c_str()));
        double s = 0;
        long long inUse = 0, held = 0, resident = 0, regions = 0;
        std::sscanf(load.c_str(), "%lf %lld %lld %lld %lld", &s, &inUse, &held, &resident, &regions);
        gFresh.load.push_back(s);
        gFresh.inUse = inUse, gFresh.held = held, gFresh.resident = resident, gFresh.regions = regions;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--fresh-load") == 0) return FreshLoad(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--fresh-read") == 0) return ::bench::FreshRawRead(argv[2]);

    gDir = ::bench::MakeBenchDir("kernel-bench");
    if (gDir.empty()) return 1;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g.fileBytes) MeasureFresh();

    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    const double ms = 1000, mb = 1e6, file = double(g.fileBytes ? g.fileBytes : 1);
    std::printf("\nDesign: %lld objects + %lld records = %lld\n", (long long)g.counts.objects,
                (long long)g.counts.records, (long long)g.counts.total());
    std::printf("build %.1f ms | walk %.1f ms (%lld visited)\n", g.build * ms, g.walk * ms,
                (long long)g.walked);
    std::printf("save  %.1f ms | raw write+fsync %.1f ms | ratio %.2f (target <= 2)\n", g.save * ms,
                g.rawWrite * ms, g.save / g.rawWrite);
    std::printf(
        "load  %.1f ms | raw read %.2f ms | ratio %.2f (target <= 3), best of many, file in page cache\n",
        g.load * ms, g.rawRead * ms, g.load / g.rawRead);
    std::printf("load  %.1f ms | raw read %.1f ms | ratio %.2f, best of many, file read from disk\n",
                g.loadCold * ms, g.rawReadCold * ms, g.loadCold / g.rawReadCold);
    if (!gFresh.load.empty()) {
        const auto [lmin, lmax] = std::minmax_element(gFresh.load.begin(), gFresh.load.end());
        const auto [rmin, rmax] = std::minmax_element(gFresh.read.begin(), gFresh.read.end());
        std::printf(
            "first load in a fresh process %.1f ms (%.1f..%.1f) | raw read in a fresh process %.2f ms "
            "(%.2f..%.2f) | ratio %.2f (target <= 4), median of %zu, file in page cache\n",
            Median(gFresh.load) * ms, *lmin * ms, *lmax * ms, Median(gFresh.read) * ms, *rmin * ms,
            *rmax * ms, Median(gFresh.load) / Median(gFresh.read), gFresh.load.size());
        std::printf(
            "after it: in use %.1f MB (%.2fx file, target <= 2.5) | held by the allocator %.1f MB (%.2fx) | "
            "resident %.1f MB (%.2fx) | %lld more mapped regions\n",
            gFresh.inUse / mb, gFresh.inUse / file, gFresh.held / mb, gFresh.held / file,
            gFresh.resident / mb, gFresh.resident / file, (long long)gFresh.regions);
    }
    std::printf(
        "file  %.1f MB | loaded database %.1f MB in use | ratio %.2f, after many loads in one process\n",
        g.fileBytes / mb, g.loadedBytes / mb, double(g.loadedBytes) / file);
    std::printf("peak resident memory %.1f MB\n", ru.ru_maxrss / 1e3);

    std::remove(File().c_str());
    std::remove(RawFile().c_str());
    ::rmdir(gDir.c_str());
    return 0;
}
