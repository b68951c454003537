// Cost per stereo frame of each stage at 44.1 kHz in 88-frame blocks (the effect's largest sub-block).
#include "dsp/fx/Distortion.h"
#include "dsp/fx/RateReduction.h"
#include "dsp/fx/RateReductionControl.h"
#include "dsp/fx/RingMod.h"
#include "dsp/fx/Vibrato.h"
#include "dsp/modulation/EnvelopeFollower.h"
#include "dsp/modulation/LfoController.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kBlock = 88;

struct Signal {
    std::vector<float> left, right;
    Signal() : left(kBlock), right(kBlock) {
        for (int i = 0; i < kBlock; ++i) {
            left[i] = 0.7f * std::sin(0.07f * static_cast<float>(i));
            right[i] = 0.5f * std::sin(0.11f * static_cast<float>(i));
        }
    }
    DSP::StereoView view() { return {left.data(), right.data()}; }
};

void perFrame(benchmark::State& state) {
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void EnvelopeWithMeasurePoint(benchmark::State& state) {
    DSP::CEnvelopeFollower follower;
    follower.setMeasurePoint(2000.0f);
    Signal s;
    for (auto _ : state) {
        follower.process(s.left.data(), s.right.data(), kBlock);
        benchmark::DoNotOptimize(follower.value(DSP::CEnvelopeFollower::kLowPass));
    }
    perFrame(state);
}

void SyncedLfo(benchmark::State& state) {
    DSP::CLFOController lfo;
    lfo.setShape(static_cast<int>(state.range(0)));
    lfo.setRate(1.0f, 0.3f);
    lfo.setSync(true);
    double position = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lfo.advance(kBlock, 120.0, true, position));
        position += kBlock;
    }
    perFrame(state);
}

void Distortion(benchmark::State& state) {
    DSP::FX::CDistortion distortion;
    distortion.setLevel(0.6f);
    Signal s;
    for (auto _ : state) {
        distortion.process(s.view(), kBlock);
        benchmark::ClobberMemory();
    }
    perFrame(state);
}

void RateReduction(benchmark::State& state) {
    DSP::FX::CRateReduction reducer;
    DSP::FX::CRateReductionControl::apply(reducer, 0.4f);
    Signal s;
    for (auto _ : state) {
        reducer.process(s.view(), kBlock);
        benchmark::ClobberMemory();
    }
    perFrame(state);
}

void RingMod(benchmark::State& state) {
    DSP::FX::CFXRingMod ring;
    ring.setParameter(DSP::FX::CFXRingMod::kMix, 0.8f);
    Signal s;
    for (auto _ : state) {
        ring.processStereoInPlace(s.view(), kBlock);
        benchmark::ClobberMemory();
    }
    perFrame(state);
}

void Vibrato(benchmark::State& state) {
    DSP::FX::CVibrato vibrato;
    vibrato.setParameter(DSP::FX::CVibrato::kMix, 0.5f);
    Signal s;
    for (auto _ : state) {
        vibrato.processBlock(s.view(), kBlock);
        benchmark::ClobberMemory();
    }
    perFrame(state);
}

} // namespace

BENCHMARK(EnvelopeWithMeasurePoint);
BENCHMARK(SyncedLfo)->Arg(0)->Arg(3)->Arg(5);
BENCHMARK(Distortion);
BENCHMARK(RateReduction);
BENCHMARK(RingMod);
BENCHMARK(Vibrato);
BENCHMARK_MAIN();
