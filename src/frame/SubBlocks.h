// The sub-block loop every format adapter runs: the effect processes at most getMaxBlockSize() frames per
// call, so its per-block control work keeps its rate whatever block length the host uses.
#pragma once

#include "frame/AudioBuses.h"
#include "frame/TessuOS.h"

#include <algorithm>
#include <cstdint>

namespace Tessu {

// Runs the effect over frames of the context's buses, moving the buses and the transport position on
// after each sub-block. beforeSubBlock(n) runs before each one and may shorten n.
template <typename BeforeSubBlock>
void processInSubBlocks(TessuOS& effect, ProcessContext& context, int32_t frames, double beatsPerFrame,
                        BeforeSubBlock beforeSubBlock) {
    const int32_t maxSubBlock = effect.getMaxBlockSize();
    const int32_t subBlock = std::max(maxSubBlock < 0 ? frames : std::min(maxSubBlock, frames), 1);
    for (int32_t remaining = frames; remaining > 0;) {
        int32_t n = std::min(remaining, subBlock);
        beforeSubBlock(n);
        context.frames = n;
        effect.process(context);
        context.advanceInputs(n);
        context.advanceOutputs(n);
        context.samplesToNextBeat -= n;
        context.samplePos += n;
        context.ppqPos += n * beatsPerFrame;
        remaining -= n;
    }
}

} // namespace Tessu
