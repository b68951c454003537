#include "dsp/fx/RateReduction.h"

#include <cmath>

namespace DSP::FX {

void CRateReduction::setDepth(float a) {
    depth = a;
    const float u = -(1.0f - a) * 501.0f / (500.0f * (1.0f - a) + 1.0f);
    steps = (u + 1.0f) * 16000.0f + 2.0f;
    inverseSteps = 1.0f / steps;
}

void CRateReduction::setRate(float v) {
    const float w = 1.0f - (0.97f * v + 0.03f);
    increment = (1.0f - 15.0f * w / (14.0f * w + 1.0f)) * 0.99f + 0.01f;
}

void CRateReduction::reset() {
    heldLeft = heldRight = 0.0f;
    phase = 0.0f;
}

// Branch-free: a take happens at random-looking samples, which a branch would mispredict. The phase is
// never negative, so floor(phase) = trunc(phase), and subtracting it is a no-op when nothing is taken.
template <bool Quantise> void CRateReduction::run(StereoView bus, int n) {
    float p = phase, heldL = heldLeft, heldR = heldRight;
    for (int i = 0; i < n; ++i) {
        float l = bus.left[i];
        float r = bus.right[i];
        if constexpr (Quantise) {
            l = std::trunc(l * steps) * inverseSteps;
            r = std::trunc(r * steps) * inverseSteps;
        }
        p += increment;
        const bool take = p >= 1.0f;
        p -= static_cast<float>(static_cast<int>(p));
        heldL = take ? l : heldL;
        heldR = take ? r : heldR;
        bus.left[i] = heldL;
        bus.right[i] = heldR;
    }
    phase = p;
    heldLeft = heldL;
    heldRight = heldR;
}

void CRateReduction::process(StereoView bus, int n) {
    if (depth >= 1.0f && increment == 1.0f) {
        // Every sample is taken and none quantised: the output is the input. The loop would leave the
        // last sample held and the phase at frac(phase + 1), a fixed point after the first sample.
        if (n > 0) {
            heldLeft = bus.left[n - 1];
            heldRight = bus.right[n - 1];
            phase += increment;
            phase -= std::floor(phase);
        }
    } else if (depth < 1.0f)
        run<true>(bus, n);
    else
        run<false>(bus, n);
    if (!std::isfinite(heldLeft + heldRight)) heldLeft = heldRight = 0.0f;
}

} // namespace DSP::FX
