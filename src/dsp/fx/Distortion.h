#pragma once

#include "dsp/lib/DspBaseObject.h"
#include "dsp/lib/FXProcessorBase.h"

#include <atomic>

namespace DSP::FX {

// Soft-clipping saturator blended with the clean signal:
//   s = x (k + |x|) / (x^2 + 1 + |x| (k - 1))   (slope k at 0, approaching +-1)
//   out = dry x + wet compensation s
// The level is written by the parameter handler (any thread) and read at the start of each block.
class CDistortion : public CFXProcessorBase {
public:
    // "DISTLEVEL" 0..1: wet = v, dry = 1 - v, compensation = 1 - (0.72 - 0.15 character) 6.5 v / (5.5 v + 1)
    // with v = 1 - 3 (1 - x) / (2 (1 - x) + 1).
    void setLevel(float x) { requestedLevel.store(x, std::memory_order_relaxed); }

    void process(float* samples, int n);
    void process(StereoView bus, int n);

    float getWet() const { return wet; }
    float getDry() const { return dry; }
    float getCompensation() const { return compensation; }

    // The shaping curve alone.
    float shape(float x) const {
        const float magnitude = x < 0.0f ? -x : x;
        return x * (drive + magnitude) / (x * x + 1.0f + magnitude * (drive - 1.0f));
    }

private:
    void applyLevel();

    std::atomic<float> requestedLevel{1.0f};
    float appliedLevel = 1.0f;
    float drive = 10.0f;
    float wet = 1.0f;
    float dry = 0.0f;
    float compensation = 0.43f;
    float character = 1.0f;
};

} // namespace DSP::FX
