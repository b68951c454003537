#pragma once

#include "dsp/filter/StereoBiquad.h"

#include <atomic>

namespace DSP {

// One-pole attack/release follower stepped once per block. Coefficients are per step, so the time scale
// follows the block length.
class CEnvelopeSmoother {
public:
    // attack coefficient = min(1, 8 / ms)
    void setAttackTime(float ms);
    // release coefficient = min(1, 8 / (1000 * skew(ms / 1000, -18)))
    void setReleaseTime(float ms);
    float attackCoefficient() const { return attack.load(std::memory_order_relaxed); }
    float releaseCoefficient() const { return release.load(std::memory_order_relaxed); }

    float step(float target) {
        const float c = target > value ? attackCoefficient() : releaseCoefficient();
        value = value + c * (target - value) + 1e-19f;
        return value;
    }
    float getValue() const { return value; }
    void reset() { value = 0.0f; }

private:
    float value = 0.0f;
    std::atomic<float> attack{1.0f};
    std::atomic<float> release{1.0f};
};

// Envelope follower of the two filters: measures the block's peak level (optionally in a narrow band
// around the measure point), maps -24..0 dB to 0..1 and steps one smoother per filter toward it.
//
// Settings may be written from any thread (parameter handler); they take effect at the next block.
// Per block on the audio thread: process(left, right, n), then read value(kLowPass) / value(kHighPass).
class CEnvelopeFollower {
public:
    enum Target { kLowPass = 0, kHighPass = 1 };

    CEnvelopeFollower();

    void setSampleRate(double rate); // not real-time: redesigns the measure-point filter
    void setBoostDb(float dB);       // ENV_BOOST
    void setMeasurePoint(float hz);  // MEASUREPOINT: band-pass frequency; measuring in band above 100 Hz
    void setAttackTime(Target target, float ms);  // LP Attack, HP Attack
    void setReleaseTime(Target target, float ms); // LP Release, HP Release

    // Level of one block mapped to 0..1 (-24 dB and below give 0, full scale 1), without smoothing.
    float measure(const float* left, const float* right, int n);
    // measure(), then one step of both smoothers.
    void process(const float* left, const float* right, int n);

    float value(Target target) const { return smoothers[target].getValue(); }
    const CEnvelopeSmoother& smoother(Target target) const { return smoothers[target]; }
    bool isMeasuringInBand() const { return measurePoint.load(std::memory_order_relaxed) > 100.0f; }

    // Smoothers to 0 (reset and bypass reset); the measure-point filter keeps its state.
    void reset();

private:
    float analysisGain() const;

    CStereoBiquad bandPass; // band-pass, constant 0 dB peak, 0.1 octave
    CEnvelopeSmoother smoothers[2];
    std::atomic<float> boost{1.0f};
    std::atomic<float> measurePoint{500.0f};
    float designedMeasurePoint = 500.0f;
};

} // namespace DSP
