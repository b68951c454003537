#pragma once

#include "dsp/Relaxed.h"
#include "dsp/lib/DspBaseObject.h"

#include <atomic>

// A smoothed gain (input or output gain) that also keeps the block minimum and maximum of each
// channel for the editor's meters.
class CGainStage {
public:
    struct Peaks {
        float minLeft, maxLeft, minRight, maxRight;
    };

    void setTarget(float gain) { target_ = gain; }
    float target() const { return target_; }
    float smoothed() const { return smoothed_; }

    // Constant gain once the smoothed value has settled within 0.0001 of the target; before that
    // smoothed += (target − smoothed) × 0.005 per sample. The extremes are kept while metering, that is
    // while a meter shows them.
    void process(DSP::StereoView bus, int n, bool metering = true);
    void jumpToTarget() { smoothed_ = target_; }

    // Extremes since the last call (editor thread); the next call starts afresh.
    Peaks takePeaks();
    void clearPeaks();

private:
    void mergePeaks(const Peaks& block);

    Relaxed<float> target_{1.0f};
    float smoothed_ = 1.0f;
    std::atomic<float> minLeft_{0.0f}, maxLeft_{0.0f}, minRight_{0.0f}, maxRight_{0.0f};
};
