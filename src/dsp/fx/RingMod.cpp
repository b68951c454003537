#include "dsp/fx/RingMod.h"

#include <algorithm>
#include <cmath>

namespace DSP::FX {

CFXRingMod::CFXRingMod() {
    carrier.setSampleRate(sampleRate);
    carrier.setFrequency(frequency);
    carrier.reset();
}

void CFXRingMod::setSampleRate(float rate) {
    CDspBaseObject::setSampleRate(rate);
    carrier.setSampleRate(rate);
}

void CFXRingMod::reset() {
    carrier.reset();
    enable = enableTarget;
}

void CFXRingMod::setParameter(int index, float value) {
    if (!std::isfinite(value)) return;
    if (index == kFrequency) {
        const float hz = std::clamp(value, 0.01f, 16000.0f);
        if (!(hz == frequency)) {
            frequency = hz;
            carrier.setFrequency(hz);
        }
        enableTarget = hz > 0.0101f ? 1.0f : 0.0f;
    } else if (index == kMix) {
        mixTarget = std::clamp(value, -1.0f, 1.0f);
    }
}

bool CFXRingMod::isTransparent() const {
    // (o + 1) / 2 ≤ 1, so an amount below 2^-26 leaves 1 − (o + 1) / 2 · amount rounding to 1.
    return nextMix(mix) == mix && nextEnable(enable) == enable && amountOf(mix, enable) < 0x1p-26f;
}

void CFXRingMod::processStereo(StereoView in, StereoView out, int n) {
    if (isTransparent()) {
        // The smoothers stay where they are; only the carrier moves on, so a later mix starts in phase.
        carrier.skip(n);
        if (in.left != out.left) std::copy_n(in.left, n, out.left);
        if (in.right != out.right) std::copy_n(in.right, n, out.right);
        return;
    }
    // The carrier a piece at a time, so that its rotation does not wait for every sample.
    constexpr int kPiece = 64;
    double carrierValues[kPiece];
    for (int start = 0; start < n; start += kPiece) {
        const int m = std::min(kPiece, n - start);
        carrier.generate(carrierValues, m);
        if (nextMix(mix) == mix && nextEnable(enable) == enable) {
            // Both smoothers at their fixed points: the amount is the same for every sample.
            const float amount = amountOf(mix, enable);
            for (int i = 0; i < m; ++i) {
                const float gain = 1.0f - (static_cast<float>(carrierValues[i]) + 1.0f) * 0.5f * amount;
                out.left[start + i] = in.left[start + i] * gain;
                out.right[start + i] = in.right[start + i] * gain;
            }
            continue;
        }
        for (int i = 0; i < m; ++i) {
            const float gain = gainWith(static_cast<float>(carrierValues[i]));
            out.left[start + i] = in.left[start + i] * gain;
            out.right[start + i] = in.right[start + i] * gain;
        }
    }
}

} // namespace DSP::FX
