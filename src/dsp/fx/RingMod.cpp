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

void CFXRingMod::processStereo(StereoView in, StereoView out, int n) {
    for (int i = 0; i < n; ++i) {
        const float gain = nextGain();
        out.left[i] = in.left[i] * gain;
        out.right[i] = in.right[i] * gain;
    }
}

} // namespace DSP::FX
