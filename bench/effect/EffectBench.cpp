// Cost of the plug-in per stereo frame at 44.1 kHz, through processReplacing with 512-frame blocks.
#include "EffectCases.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using namespace effectbench;

template <class Case> void perFrame(benchmark::State& state) {
    Case bench;
    for (auto _ : state) {
        bench.block();
        benchmark::DoNotOptimize(bench.outL.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kBlock);
    // Rate of (frames / 1e9), inverted: nanoseconds per frame.
    state.counters["ns_per_frame"] =
        benchmark::Counter(double(state.iterations()) * kBlock * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The best repetition: other work on the machine only ever adds time.
double fastest(const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

} // namespace

BENCHMARK(perFrame<InitialSettings>)
    ->Name("InitialSettings")
    ->MinTime(1.0)
    ->ComputeStatistics("min", fastest);
BENCHMARK(perFrame<HeavyFilters>)->Name("HeavyFilters")->MinTime(1.0)->ComputeStatistics("min", fastest);
BENCHMARK(perFrame<FullChain>)->Name("FullChain")->MinTime(1.0)->ComputeStatistics("min", fastest);
BENCHMARK(perFrame<EditorOpen<InitialSettings>>)
    ->Name("InitialSettingsEditorOpen")
    ->MinTime(1.0)
    ->ComputeStatistics("min", fastest);
BENCHMARK(perFrame<EditorOpen<FullChain>>)
    ->Name("FullChainEditorOpen")
    ->MinTime(1.0)
    ->ComputeStatistics("min", fastest);
BENCHMARK_MAIN();
