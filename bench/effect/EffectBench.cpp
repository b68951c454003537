// Cost of the plug-in per stereo frame at 44.1 kHz, through processReplacing with 512-frame blocks.
#include "kavren/ParameterSettings.h"
#include "vsthost/VstPluginHost.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kBlock = 512;
constexpr float kRate = 44100.0f;

struct Bench {
    kavren::host::VstPluginHost host{KAVREN_PLUGIN_PATH};
    std::vector<float> inL, inR, outL, outR;

    explicit Bench(std::initializer_list<const char*> settings)
        : inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock) {
        host.setPlaying(true);
        host.start(kRate, kBlock);
        for (const char* s : settings) set(s);
        uint32_t seed = 1;
        for (int i = 0; i < kBlock; ++i) {
            seed = seed * 1664525u + 1013904223u;
            inL[size_t(i)] = 0.5f * float(int32_t(seed)) / 2147483648.0f;
            inR[size_t(i)] = 0.5f * std::sin(0.05f * float(i));
        }
    }
    void set(const char* assignment) {
        kavren::HostSetting s = kavren::resolveSetting(assignment);
        host.setParameter(s.hostIndex, s.normalizedValue);
    }
    void block() {
        float* ins[2] = {inL.data(), inR.data()};
        float* outs[2] = {outL.data(), outR.data()};
        host.process(ins, outs, kBlock);
        benchmark::DoNotOptimize(outL.data());
    }
};

void reportPerFrame(benchmark::State& state) {
    state.SetItemsProcessed(int64_t(state.iterations()) * kBlock);
    // Rate of (frames / 1e9), inverted: nanoseconds per frame.
    state.counters["ns_per_frame"] =
        benchmark::Counter(double(state.iterations()) * kBlock * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void InitialSettings(benchmark::State& state) {
    Bench bench({});
    for (auto _ : state) bench.block();
    reportPerFrame(state);
}

// Both filters at 96 dB/oct with full resonance, the limiter on, cut-offs moving every block.
void HeavyFilters(benchmark::State& state) {
    Bench bench({"LOWPASSSLOPE=4", "HIGHPASSSLOPE=4", "LOWPASSQ=1", "HIGHPASSQ=1", "LimiterBypass=On"});
    int lowPass = kavren::resolveSetting("LOWPASSFREQ=1000").hostIndex;
    int highPass = kavren::resolveSetting("HIGHPASSFREQ=100").hostIndex;
    float phase = 0.0f;
    for (auto _ : state) {
        phase += 0.01f;
        bench.host.setParameter(lowPass, 0.55f + 0.25f * std::sin(phase));
        bench.host.setParameter(highPass, 0.3f + 0.2f * std::cos(phase));
        bench.block();
    }
    reportPerFrame(state);
}

} // namespace

BENCHMARK(InitialSettings)->MinTime(1.0);
BENCHMARK(HeavyFilters)->MinTime(1.0);
BENCHMARK_MAIN();
