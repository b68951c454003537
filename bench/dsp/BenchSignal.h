#pragma once

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
        unsigned seed = 12345;
        for (int i = 0; i < blockFrames; ++i) {
            seed = seed * 1664525u + 1013904223u;
            left[i] = level * (static_cast<float>(seed >> 8) / 8388608.0f - 1.0f);
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
