// Appends to the kernel's lists at growing lengths: the time per append must stay flat (an ASCII
// load or a large design appends hundreds of thousands of texts and trace records).
#include <benchmark/benchmark.h>

#include "kernel/kernel.h"

namespace {

void FreshDatabase() {
    DB_DiscardDataBase();
    DB_CreateDataBase("Bench", "MAINHIER", "MAINPAGE");
}

void BM_TextAppend(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        FreshDatabase();
        state.ResumeTiming();
        for (int64_t i = 0; i < state.range(0); ++i)
            OA_Add(DB_LayoutTextArray(), I_MakeText(0, 0, 0, 1, 1, "T", 0, 0, 0));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_TraceRecordAppend(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        FreshDatabase();
        const int32_t trace = T_CreateTrace(0, 0, 0);
        state.ResumeTiming();
        for (int64_t i = 0; i < state.range(0); ++i)
            T_InsertRecord(trace, -1, 0, static_cast<int32_t>(i), 0, 1);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_BranchPointAppend(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        FreshDatabase();
        const int32_t branch = B_CreateBranch(0, 0, 0);
        state.ResumeTiming();
        for (int64_t i = 0; i < state.range(0); ++i) B_InsertRecord(branch, -1, static_cast<int32_t>(i), 0);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_TextAppend)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceRecordAppend)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BranchPointAppend)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
