#include "BenchSignal.h"
#include "dsp/limiter/FXLimiter.h"

using kavren::bench::blockFrames;
using kavren::bench::StereoBlock;

namespace {

// arg 0: input level ×10 (5 = below the ceiling, 40 = 12 dB over it); arg 1: release ms (1 = automatic).
void BM_Limiter(benchmark::State& state) {
    CFXLimiter limiter;
    limiter.setMaxBlockSize(blockFrames);
    limiter.setParameter(CFXLimiter::Release, static_cast<float>(state.range(1)));
    const StereoBlock source(static_cast<float>(state.range(0)) * 0.1f);
    StereoBlock block = source;
    for (auto _ : state) {
        block = source;
        limiter.process(block.left.data(), block.right.data(), blockFrames);
        benchmark::DoNotOptimize(block.left.data());
    }
    kavren::bench::reportPerFrame(state);
}
BENCHMARK(BM_Limiter)->ArgsProduct({{5, 40}, {50, 1}})->ArgNames({"level10", "releaseMs"});

} // namespace
