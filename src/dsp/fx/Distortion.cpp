#include "dsp/fx/Distortion.h"

namespace DSP::FX {

void CDistortion::applyLevel() {
    const float x = requestedLevel.load(std::memory_order_relaxed);
    if (x == appliedLevel) return;
    appliedLevel = x;
    const float v = 1.0f - 3.0f * (1.0f - x) / (2.0f * (1.0f - x) + 1.0f);
    const float c = (0.72f - 0.15f * character) * (6.5f * v / (5.5f * v + 1.0f));
    wet = v;
    dry = 1.0f - v;
    compensation = 1.0f - c;
}

void CDistortion::process(float* samples, int n) {
    applyLevel();
    const float wetGain = wet * compensation;
    for (int i = 0; i < n; ++i) samples[i] = dry * samples[i] + wetGain * shape(samples[i]);
}

void CDistortion::process(StereoView bus, int n) {
    process(bus.left, n);
    process(bus.right, n);
}

} // namespace DSP::FX
