#pragma once

#include "dsp/lib/DspBaseObject.h"
#include "dsp/lib/FXProcessorBase.h"

namespace DSP::FX {

// Sample-and-hold rate reducer with amplitude quantisation. Both channels are taken together whenever
// the hold phase passes 1; between takes the held samples repeat.
// Settings are applied on the audio thread (see CRateReductionControl), between blocks.
class CRateReduction : public CFXProcessorBase {
public:
    // Quantisation depth a (active below 1): q = (u + 1) 16000 + 2 steps per unit amplitude with
    // u = -(1 - a) 501 / (500 (1 - a) + 1); a = 1 gives 16002, a = 0.3 about 15.7.
    void setDepth(float a);
    // Hold rate v in 0..1: increment = (1 - 15 w / (14 w + 1)) 0.99 + 0.01 with w = 1 - (0.97 v + 0.03);
    // v = 1 takes every sample, v = 0 about one in 83.
    void setRate(float v);

    // In place. A held sample that is not finite is dropped at the end of the block.
    void process(StereoView bus, int n);
    // Held samples and phase to 0.
    void reset() override;

    float getSteps() const { return steps; }
    float getIncrement() const { return increment; }

private:
    template <bool Quantise> void run(StereoView bus, int n);

    float depth = 1.0f;
    float steps = 16002.0f;
    float inverseSteps = 1.0f / 16002.0f;
    float increment = 1.0f;
    float heldLeft = 0.0f;
    float heldRight = 0.0f;
    float phase = 0.0f;
};

} // namespace DSP::FX
