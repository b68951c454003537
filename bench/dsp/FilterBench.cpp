#include "BenchSignal.h"
#include "dsp/filter/FilterStage.h"

using kavren::bench::blockFrames;
using kavren::bench::StereoBlock;

namespace {

// One filter at a slope (arg 0: 12..96 dB), static or swept (arg 1), low-pass or mode-0 high-pass (arg 2).
void BM_StereoFilter(benchmark::State& state) {
    const int slope = static_cast<int>(state.range(0));
    const bool moving = state.range(1) != 0;
    const bool highPass = state.range(2) != 0;
    DSP::CStereoFilter filter;
    DSP::CStereoBiquad peak;
    DSP::CFilterControl control;
    filter.setHighPassMarker(highPass);
    filter.setOrderFromSlope(slope);
    control.reset(1000.0, 0.5f, filter, peak);
    StereoBlock block(0.5f);
    long long blocks = 0;
    for (auto _ : state) {
        // A 2 Hz sweep of ±3 octaves around 1 kHz, redesigning or copying from the cache every block.
        const double target = moving ? 1000.0 * std::exp2(3.0 * std::sin(blocks * 0.0025)) : 1000.0;
        control.update(target, 0.5f, 1.0f, 0.5f, filter, peak);
        filter.process(block.left.data(), block.right.data(), block.left.data(), block.right.data(),
                       blockFrames);
        peak.process(block.left.data(), block.right.data(), blockFrames);
        benchmark::DoNotOptimize(block.left.data());
        ++blocks;
    }
    kavren::bench::reportPerFrame(state);
}
BENCHMARK(BM_StereoFilter)->ArgsProduct({{12, 24, 48, 96}, {0, 1}, {0, 1}})->ArgNames({"dB", "moving", "hp"});

// The whole filter stage in series mode: both filters at one slope, swept.
void BM_FilterStage(benchmark::State& state) {
    const int slope = static_cast<int>(state.range(0));
    DSP::CFilterStage stage;
    stage.setSlope(DSP::CFilterStage::LowPass, slope);
    stage.setSlope(DSP::CFilterStage::HighPass, slope);
    StereoBlock input(0.5f);
    std::vector<float> work[2] = {input.left, input.right}, parallel[2], out[2];
    for (int c = 0; c < 2; ++c) parallel[c] = out[c] = std::vector<float>(blockFrames);
    const DSP::FilterStageBuffers buffers{{input.left.data(), input.right.data()},
                                          {work[0].data(), work[1].data()},
                                          {parallel[0].data(), parallel[1].data()},
                                          {out[0].data(), out[1].data()}};
    long long blocks = 0;
    for (auto _ : state) {
        const double sweep = std::exp2(2.0 * std::sin(blocks * 0.0025));
        stage.updateControl(DSP::CFilterStage::LowPass, 4000.0 * sweep, 0.7f, 1.0f, 0.5f);
        stage.updateControl(DSP::CFilterStage::HighPass, 300.0 * sweep, 0.7f, 1.0f, 0.5f);
        stage.process(buffers, blockFrames);
        benchmark::DoNotOptimize(out[0].data());
        ++blocks;
    }
    kavren::bench::reportPerFrame(state);
}
BENCHMARK(BM_FilterStage)->Arg(12)->Arg(24)->Arg(96)->ArgName("dB");

} // namespace
