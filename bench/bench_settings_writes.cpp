// The settings file under a save-all pass (every option set stored in the Default scope, as the
// Options menu and start-up store them): how long the pass takes and how many times the file is
// replaced (renames into its directory, counted with inotify), beside the raw work of one atomic
// replacement of the same bytes (write, fsync, rename, directory fsync).
//
// TOLVI_BENCH_DIR is where the settings file goes (default /tmp).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "bench_timing.h"
#include "common/general_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/size_settings.h"

namespace {

using bench::Clock;
using bench::Seconds;

std::string gDir;
int gWatch = -1;  // inotify descriptor watching gDir

struct Pass {
    bench::Timing time;
    long renamesFirst = 0;
    long renamesLast = 0;
};
Pass gChanged, gUnchanged;
bench::Timing gRaw;

// Renames into the directory since the last call.
long TakeRenames() {
    long n = 0;
    alignas(inotify_event) char buf[8192];
    for (;;) {
        const ssize_t r = ::read(gWatch, buf, sizeof buf);
        if (r <= 0) break;
        for (ssize_t off = 0; off < r;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buf + off);
            if (e->mask & IN_MOVED_TO) ++n;
            off += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
    return n;
}

void Prepare() {
    if (!tolvi::gIniFile.empty()) return;
    tolvi::gIniFile = gDir + "/TOLVI32.INI";
    tolvi::SetOptionScope(tolvi::OptionScope::Default);
    tolvi::LoadAllOptionSets();  // the built-in defaults
    tolvi::SaveAllOptionSets();  // a full settings file, as after the first start
    TakeRenames();
}

void Record(Pass& p, double seconds, long renames) {
    if (p.time.runs == 0) p.renamesFirst = renames;
    p.time.Add(seconds);
    p.renamesLast = renames;
}

// Argument 1: one value of each size set differs from the file, so the file must change;
// 0: the tables are what the file holds already.
void BM_SaveAllPass(benchmark::State& state) {
    Prepare();
    const bool change = state.range(0) != 0;
    Pass& p = change ? gChanged : gUnchanged;
    int32_t flip = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (change) {
            flip ^= 1;
            tolvi::gBusWidth = 50800 + flip;
            tolvi::gTextSizes[1].LineWidth = 12700 + flip;
        }
        TakeRenames();
        state.ResumeTiming();
        const auto t0 = Clock::now();
        tolvi::SaveAllOptionSets();
        const double s = Seconds(t0, Clock::now());
        state.PauseTiming();
        const long renames = TakeRenames();
        state.ResumeTiming();
        Record(p, s, renames);
        state.counters["renames"] = static_cast<double>(renames);
    }
}

// The raw work of one replacement of the settings file: its bytes are read before timing.
void BM_RawReplace(benchmark::State& state) {
    Prepare();
    std::ifstream in(tolvi::gIniFile, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string bytes = ss.str();
    const std::string temp = gDir + "/raw.tmp", target = gDir + "/raw.ini";
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
            ::fsync(fd) != 0) {
            state.SkipWithError("raw write failed");
            break;
        }
        ::close(fd);
        ::rename(temp.c_str(), target.c_str());
        const int dfd = ::open(gDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::fsync(dfd);
        ::close(dfd);
        gRaw.Add(Seconds(t0, Clock::now()));
    }
}

BENCHMARK(BM_SaveAllPass)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(0)->MinTime(0.5);
BENCHMARK(BM_RawReplace)->Unit(benchmark::kMillisecond)->MinTime(0.5);

}  // namespace

int main(int argc, char** argv) {
    gDir = bench::MakeBenchDir("settings-bench");
    if (gDir.empty()) return 1;
    gWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Writes to the temporary are watched too: inotify merges identical events that follow each
    // other, so renames alone would count as one.
    if (gWatch < 0 || ::inotify_add_watch(gWatch, gDir.c_str(), IN_MOVED_TO | IN_CREATE | IN_CLOSE_WRITE) < 0)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double ms = 1000;
    const auto pass = [&](const char* what, const Pass& p) {
        if (p.time.runs > 0)
            std::printf("save-all pass, %s: first %.2f ms (%ld renames) | best %.2f ms (%ld renames)\n", what,
                        p.time.first * ms, p.renamesFirst, p.time.best * ms, p.renamesLast);
    };
    std::printf("\n");
    pass("values changed  ", gChanged);
    pass("values unchanged", gUnchanged);
    if (gRaw.runs > 0)
        std::printf("raw replacement of the same file: first %.2f ms | best %.2f ms (1 rename)\n",
                    gRaw.first * ms, gRaw.best * ms);
    for (const char* f : {"/TOLVI32.INI", "/raw.ini", "/raw.tmp"}) std::remove((gDir + f).c_str());
    ::rmdir(gDir.c_str());
    return 0;
}
