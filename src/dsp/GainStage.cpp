#include "dsp/GainStage.h"

#include <algorithm>
#include <cmath>

namespace {

void extremes(const float* x, int n, float& low, float& high) {
    float lo = x[0], hi = x[0];
    for (int i = 1; i < n; ++i) {
        lo = std::min(lo, x[i]);
        hi = std::max(hi, x[i]);
    }
    low = lo;
    high = hi;
}

void lowerTo(std::atomic<float>& a, float v) {
    if (v < a.load(std::memory_order_relaxed)) a.store(v, std::memory_order_relaxed);
}

void raiseTo(std::atomic<float>& a, float v) {
    if (v > a.load(std::memory_order_relaxed)) a.store(v, std::memory_order_relaxed);
}

} // namespace

void CGainStage::process(DSP::StereoView bus, int n) {
    if (n <= 0) return;
    const float goal = target_;
    if (std::fabs(goal - 1e-19f - smoothed_) < 0.0001f) {
        const float g = smoothed_;
        for (int i = 0; i < n; ++i) {
            bus.left[i] *= g;
            bus.right[i] *= g;
        }
    } else {
        float g = smoothed_;
        for (int i = 0; i < n; ++i) {
            g += (goal - g) * 0.005f;
            bus.left[i] *= g;
            bus.right[i] *= g;
        }
        smoothed_ = g;
    }
    Peaks block;
    extremes(bus.left, n, block.minLeft, block.maxLeft);
    extremes(bus.right, n, block.minRight, block.maxRight);
    mergePeaks(block);
}

void CGainStage::mergePeaks(const Peaks& block) {
    lowerTo(minLeft_, block.minLeft);
    raiseTo(maxLeft_, block.maxLeft);
    lowerTo(minRight_, block.minRight);
    raiseTo(maxRight_, block.maxRight);
}

CGainStage::Peaks CGainStage::takePeaks() {
    return {minLeft_.exchange(0.0f, std::memory_order_relaxed),
            maxLeft_.exchange(0.0f, std::memory_order_relaxed),
            minRight_.exchange(0.0f, std::memory_order_relaxed),
            maxRight_.exchange(0.0f, std::memory_order_relaxed)};
}

void CGainStage::clearPeaks() {
    takePeaks();
}
