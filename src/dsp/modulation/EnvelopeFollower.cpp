#include "dsp/modulation/EnvelopeFollower.h"

#include "dsp/modulation/SkewedRange.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

namespace DSP {

namespace {

float stepCoefficient(double stepSeconds, double ms) {
    return ms > 0.0 ? static_cast<float>(1.0 - std::exp(-4.0 * stepSeconds * 1000.0 / ms)) : 1.0f;
}

} // namespace

void CEnvelopeSmoother::refresh() {
    const float a = attackMs.load(std::memory_order_relaxed), r = releaseMs.load(std::memory_order_relaxed);
    if (a != appliedAttackMs) {
        appliedAttackMs = a;
        attack = stepCoefficient(stepSeconds, a);
    }
    if (r != appliedReleaseMs) {
        appliedReleaseMs = r;
        release = stepCoefficient(stepSeconds, 1000.0 * skew(static_cast<double>(r) / 1000.0, -18.0));
    }
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

void CEnvelopeFollower::setStepSeconds(double seconds) {
    smoothers[kLowPass].setStepSeconds(seconds);
    smoothers[kHighPass].setStepSeconds(seconds);
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
    return levelOf(peakOf(left, right, n));
}

float CEnvelopeFollower::peakOf(const float* left, const float* right, int n) {
    const float g = analysisGain();
    const bool inBand = isMeasuringInBand();
    if (inBand) {
        const float hz = measurePoint.load(std::memory_order_relaxed);
        if (hz != designedMeasurePoint) {
            designedMeasurePoint = hz;
            bandPass.setFrequency(hz);
        }
    }
    // A piece at a time: scaled, through the band-pass with the filter's block loop, and the largest
    // square taken four lanes at once. maxps(r², l²) picks as std::max(l², r²) does, and
    // maxps(p, peak) keeps the peak for a NaN p, so a NaN sample never replaces the peak.
    constexpr int kPiece = 64;
    alignas(16) float l[kPiece], r[kPiece];
    __m128 peak4 = _mm_setzero_ps();
    float peak = 0.0f;
    for (int start = 0; start < n; start += kPiece) {
        const int m = std::min(kPiece, n - start);
        for (int i = 0; i < m; ++i) {
            l[i] = left[start + i] * g;
            r[i] = right[start + i] * g;
        }
        if (inBand) bandPass.processPiece(l, r, m);
        int i = 0;
        for (; i + 4 <= m; i += 4) {
            const __m128 vl = _mm_load_ps(l + i), vr = _mm_load_ps(r + i);
            peak4 = _mm_max_ps(_mm_max_ps(_mm_mul_ps(vr, vr), _mm_mul_ps(vl, vl)), peak4);
        }
        for (; i < m; ++i) {
            const float p = std::max(l[i] * l[i], r[i] * r[i]);
            peak = p > peak ? p : peak;
        }
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, peak4);
    for (float p : lanes) peak = p > peak ? p : peak;
    if (inBand) bandPass.sanitize();
    return peak;
}

// level = 20 log10(sqrt(peak)) = 10 log10(peak); e = 1 + level / 24 within [0, 1]
float CEnvelopeFollower::levelOf(float peak) {
    const double level = 4.342944819032518 * std::log(std::max(static_cast<double>(peak), 1e-30));
    return static_cast<float>(std::clamp(1.0 + level / 24.0, 0.0, 1.0));
}

void CEnvelopeFollower::endStep() {
    const float e = levelOf(stepPeak);
    stepPeak = 0.0f;
    smoothers[kLowPass].step(e);
    smoothers[kHighPass].step(e);
}

void CEnvelopeFollower::reset() {
    smoothers[kLowPass].reset();
    smoothers[kHighPass].reset();
    stepPeak = 0.0f;
}

} // namespace DSP
