#pragma once

#include "dsp/fx/DriveKernels.h"
#include "dsp/lib/DspBaseObject.h"
#include "dsp/lib/FXProcessorBase.h"

#include <atomic>

namespace DSP::FX {

// Soft-clipping saturator blended with the clean signal:
//   s = x (k + |x|) / (x^2 + 1 + |x| (k - 1))   (slope k at 0, approaching +-1)
//   out = dry x + wet compensation s
// The level is written by the parameter handler (any thread) and read at the start of each block.
//
// The curve runs at four times the sampling rate (two polyphase half-band stages up and down), so that
// its harmonics above the audio band do not fold back into it; a one-pole DC blocker at 5 Hz follows, as
// even-order products of the curve carry DC. The blend weights glide toward a new level with a 10 ms time
// constant, and the stage fades in and out over the same time when the level leaves or reaches 0, so
// that a moving drive never clicks. At level 0, once faded out, the audio passes untouched and the
// stage costs nothing.
class CDistortion : public CFXProcessorBase {
public:
    CDistortion();

    // "DISTLEVEL" 0..1: wet = v, dry = 1 - v, compensation = 1 - (0.72 - 0.15 character) 6.5 v / (5.5 v + 1)
    // with v = 1 - 3 (1 - x) / (2 (1 - x) + 1).
    void setLevel(float x) { requestedLevel.store(x, std::memory_order_relaxed); }

    void setSampleRate(float rate) override;
    // Clears the filters and puts the weights at the requested level at once.
    void reset() override;

    void process(StereoView bus, int n);

    // The targets of the weights for the requested level (after the next block or reset).
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
    // Faded out at level 0: the audio passes untouched.
    bool idle() const;
    void clearFilters();

    std::atomic<float> requestedLevel{1.0f};
    float appliedLevel = 1.0f;
    float drive = 10.0f;
    float wet = 1.0f;
    float dry = 0.0f;
    float compensation = 0.43f;
    float character = 1.0f;

    // {dry, wet compensation, presence, 0}: the weights the audio hears, gliding toward target() by
    // `glide` of the distance per sample.
    __m128 target() const;
    __m128 weights = _mm_setr_ps(0.0f, 0.43f, 1.0f, 0.0f);
    float glide = 0.0f;

    const DriveKernels* kernels;
    DriveFilters filters;
    DriveState state;
    __m128 frameWeights[kDriveChunk];
};

} // namespace DSP::FX
