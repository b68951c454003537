#pragma once

#include "utilities/WhiteNoise.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace kavren::bench {

// Sub-block length the host adapter uses at 44.1 kHz.
constexpr int blockFrames = 88;

// A deterministic noisy stereo block that keeps every filter busy.
struct StereoBlock {
    std::vector<float> left, right;
    explicit StereoBlock(float level) : left(blockFrames), right(blockFrames) {
        KavrenTest::WhiteNoise white(12345);
        for (int i = 0; i < blockFrames; ++i) {
            left[i] = level * white.next();
            right[i] = level * std::sin(0.05f * i);
        }
    }
};

// Reports the time per stereo frame.
inline void reportPerFrame(benchmark::State& state) {
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * blockFrames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace kavren::bench
