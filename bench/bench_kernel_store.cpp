// The design kernel on a large synthetic design: build through the flat functions, a walk of
// every map, .TPB save and load, beside a raw write (write + fsync) and read of the same bytes.
//
// TOLVI_BENCH_SCALE scales the design (default 0.2, about 190 000 objects and records; 1.1 gives
// just over a million). TOLVI_BENCH_DIR is where the files go (default /tmp).
// Targets: save <= 2x raw write, load <= 3x raw read, loaded database <= 3x its file size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "support/design_generator.h"

namespace {

using Clock = std::chrono::steady_clock;
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

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

int64_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return int64_t(m.uordblks + m.hblkhd);
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
        const auto t0 = Clock::now();
        const int fd = ::open(RawFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        size_t done = 0;
        while (fd >= 0 && done < bytes.size()) {
            const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (w <= 0) break;
            done += size_t(w);
        }
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        g.rawWrite = std::min(g.rawWrite, Seconds(t0, Clock::now()));
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
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            DropCache(RawFile());
            state.ResumeTiming();
        }
        const auto t0 = Clock::now();
        std::vector<char> buf(g.fileBytes);
        const int fd = ::open(RawFile().c_str(), O_RDONLY | O_CLOEXEC);
        size_t done = 0;
        while (fd >= 0 && done < buf.size()) {
            const ssize_t r = ::read(fd, buf.data() + done, buf.size() - done);
            if (r <= 0) break;
            done += size_t(r);
        }
        if (fd >= 0) ::close(fd);
        benchmark::DoNotOptimize(buf.data());
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

}  // namespace

int main(int argc, char** argv) {
    const char* dir = std::getenv("TOLVI_BENCH_DIR");
    std::string tmpl = std::string(dir ? dir : "/tmp") + "/kernel-bench-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return 1;
    gDir = tmpl;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    const double ms = 1000;
    std::printf("\nDesign: %lld objects + %lld records = %lld\n", (long long)g.counts.objects,
                (long long)g.counts.records, (long long)g.counts.total());
    std::printf("build %.1f ms | walk %.1f ms (%lld visited)\n", g.build * ms, g.walk * ms,
                (long long)g.walked);
    std::printf("save  %.1f ms | raw write+fsync %.1f ms | ratio %.2f (target <= 2)\n", g.save * ms,
                g.rawWrite * ms, g.save / g.rawWrite);
    std::printf("load  %.1f ms | raw read %.1f ms | ratio %.2f (target <= 3), file in page cache\n",
                g.load * ms, g.rawRead * ms, g.load / g.rawRead);
    std::printf("load  %.1f ms | raw read %.1f ms | ratio %.2f (target <= 3), file read from disk\n",
                g.loadCold * ms, g.rawReadCold * ms, g.loadCold / g.rawReadCold);
    std::printf("file  %.1f MB | loaded database %.1f MB | ratio %.2f (target <= 3)\n", g.fileBytes / 1e6,
                g.loadedBytes / 1e6, double(g.loadedBytes) / double(g.fileBytes ? g.fileBytes : 1));
    std::printf("peak resident memory %.1f MB\n", ru.ru_maxrss / 1e3);

    std::remove(File().c_str());
    std::remove(RawFile().c_str());
    ::rmdir(gDir.c_str());
    return 0;
}
