#include "dsp/modulation/EnvelopeFollower.h"

#include "dsp/modulation/SkewedRange.h"

#include <algorithm>
#include <cmath>

namespace DSP {

void CEnvelopeSmoother::setAttackTime(float ms) {
    attack.store(std::min(1.0f, 8.0f / ms), std::memory_order_relaxed);
}

void CEnvelopeSmoother::setReleaseTime(float ms) {
    const double skewed = skew(static_cast<double>(ms) / 1000.0, -18.0);
    release.store(static_cast<float>(std::min(1.0, 8.0 / (1000.0 * skewed))), std::memory_order_relaxed);
}

CEnvelopeFollower::CEnvelopeFollower() {
    bandPass.setType(CStereoBiquad::BandPass);
    bandPass.setBandwidthInOctaves(true);
    bandPass.setBandwidth(0.1f);
    bandPass.setFrequency(designedMeasurePoint);
}

void CEnvelopeFollower::setSampleRate(double rate) {
    bandPass.setSampleRate(rate);
    bandPass.setFrequency(designedMeasurePoint);
}

void CEnvelopeFollower::setBoostDb(float dB) {
    boost.store(std::pow(10.0f, dB * 0.05f), std::memory_order_relaxed);
}

void CEnvelopeFollower::setMeasurePoint(float hz) {
    measurePoint.store(hz, std::memory_order_relaxed);
}

void CEnvelopeFollower::setAttackTime(Target target, float ms) {
    smoothers[target].setAttackTime(ms);
}

void CEnvelopeFollower::setReleaseTime(Target target, float ms) {
    smoothers[target].setReleaseTime(ms);
}

// +11 dB into the narrow band, -8 dB for the broadband level, so that typical material spans the
// -24..0 dB window in both cases.
float CEnvelopeFollower::analysisGain() const {
    const float b = boost.load(std::memory_order_relaxed);
    return isMeasuringInBand() ? b * 3.5481338923357546f : b * 0.3981071705534972f;
}

float CEnvelopeFollower::measure(const float* left, const float* right, int n) {
    const float g = analysisGain();
    float peak = 0.0f;
    if (isMeasuringInBand()) {
        const float hz = measurePoint.load(std::memory_order_relaxed);
        if (hz != designedMeasurePoint) {
            designedMeasurePoint = hz;
            bandPass.setFrequency(hz);
        }
        for (int i = 0; i < n; ++i) {
            float l = left[i] * g;
            float r = right[i] * g;
            bandPass.process(l, r);
            const float p = std::max(l * l, r * r);
            peak = p > peak ? p : peak; // a NaN sample never replaces the peak
        }
        bandPass.sanitize();
    } else {
        for (int i = 0; i < n; ++i) {
            const float l = left[i] * g;
            const float r = right[i] * g;
            const float p = std::max(l * l, r * r);
            peak = p > peak ? p : peak;
        }
    }
    // level = 20 log10(sqrt(peak)) = 10 log10(peak); e = 1 + level / 24 within [0, 1]
    const double level = 4.342944819032518 * std::log(std::max(static_cast<double>(peak), 1e-30));
    return static_cast<float>(std::clamp(1.0 + level / 24.0, 0.0, 1.0));
}

void CEnvelopeFollower::process(const float* left, const float* right, int n) {
    const float e = measure(left, right, n);
    smoothers[kLowPass].step(e);
    smoothers[kHighPass].step(e);
}

void CEnvelopeFollower::reset() {
    smoothers[kLowPass].reset();
    smoothers[kHighPass].reset();
    bandPass.clearState();
}

} // namespace DSP
