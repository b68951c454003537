#include "dsp/GainStage.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

namespace {

// The fold lo = min(lo, x) from x[0] on, four lanes at a time: minps(x, lo) keeps lo for a NaN x as
// std::min does, and a NaN x[0] stays in every lane as in the scalar fold.
void extremes(const float* x, int n, float& low, float& high) {
    __m128 lo4 = _mm_set1_ps(x[0]), hi4 = lo4;
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 v = _mm_loadu_ps(x + i);
        lo4 = _mm_min_ps(v, lo4);
        hi4 = _mm_max_ps(v, hi4);
    }
    alignas(16) float lanesLow[4], lanesHigh[4];
    _mm_store_ps(lanesLow, lo4);
    _mm_store_ps(lanesHigh, hi4);
    float lo = lanesLow[0], hi = lanesHigh[0];
    for (int k = 1; k < 4; ++k) {
        lo = std::min(lo, lanesLow[k]);
        hi = std::max(hi, lanesHigh[k]);
    }
    for (; i < n; ++i) {
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

void CGainStage::process(DSP::StereoView bus, int n, bool metering) {
    if (n <= 0) return;
    const float goal = target_;
    if (std::fabs(goal - 1e-19f - smoothed_) < 0.0001f) {
        const float g = smoothed_;
        // x · 1 is x: a unity gain leaves the block as it is.
        for (int i = 0; i < n && g != 1.0f; ++i) {
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
    if (!metering) return;
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
