#pragma once

#include "dsp/lib/DspBaseObject.h"
#include "dsp/lib/SineOSC.h"

namespace DSP::FX {

// Amplitude ("ring") modulator: gain = 1 - (carrier + 1) / 2 * a with a = clamp(mix * enable, 0, 1),
// so at full mix the gain swings between 0 and 1 at the carrier frequency. Mix and enable are smoothed
// per sample; a frequency at or below 0.0101 Hz fades the modulation out (time constant ~9100 samples).
class CFXRingMod : public CDspBaseObject {
public:
    enum Parameter { kFrequency = 0, kMix = 1 };

    CFXRingMod();

    void setSampleRate(float rate) override;
    void reset() override;
    // kFrequency: Hz, clamped to [0.01, 16000]; kMix: -1..1 (negative mixes act as 0).
    void setParameter(int index, float value);
    float getFrequency() const { return frequency; }

    void processSample(float in, float& out) override { out = in * nextGain(); }
    void processSample(float inL, float inR, float& outL, float& outR) override {
        const float gain = nextGain();
        outL = inL * gain;
        outR = inR * gain;
    }
    void processStereo(StereoView in, StereoView out, int n) override;

    // Both smoothers at rest and the amount too small to move a gain of 1 by one float step: every
    // gain of the next samples is exactly 1.
    bool isTransparent() const;

private:
    float nextMix(float m) const { return m + (mixTarget - m) * 0.005f; }
    float nextEnable(float e) const { return e + (enableTarget - e) * 0.00011f; }
    static float amountOf(float m, float e) {
        const float amount = m * e;
        return amount < 0.0f ? 0.0f : (amount > 1.0f ? 1.0f : amount);
    }
    // The gain of the next sample for the carrier value o.
    float gainWith(float o) {
        mix = nextMix(mix);
        enable = nextEnable(enable);
        const float amount = amountOf(mix, enable);
        return 1.0f - (o + 1.0f) * 0.5f * amount;
    }
    float nextGain() { return gainWith(static_cast<float>(carrier.nextSample())); }

    Generators::CSineOSC carrier;
    float frequency = 500.0f;
    float mixTarget = 0.0f;
    float mix = 0.0f;
    float enableTarget = 1.0f;
    float enable = 1.0f;
};

} // namespace DSP::FX
