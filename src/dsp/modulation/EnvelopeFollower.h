#pragma once

#include "dsp/filter/StereoBiquad.h"

#include <algorithm>
#include <atomic>

namespace DSP {

// One-pole attack/release follower stepped once per control step. A set time is the time the value
// needs to cover 98 % of a jump (four time constants), whatever the step length: the coefficient per
// step is 1 − exp(−4 · step / time). The release time is the parameter's value through the skew curve,
// 1000 · skew(ms / 1000, −18) ms, so that short settings still release gently.
class CEnvelopeSmoother {
public:
    // Any thread.
    void setAttackTime(float ms) { attackMs.store(ms, std::memory_order_relaxed); }
    void setReleaseTime(float ms) { releaseMs.store(ms, std::memory_order_relaxed); }
    // Audio setup: the duration of one step.
    void setStepSeconds(double seconds) { stepSeconds = seconds, appliedAttackMs = appliedReleaseMs = -1.0f; }
    float attackCoefficient() { return refresh(), attack; }
    float releaseCoefficient() { return refresh(), release; }

    float step(float target) {
        refresh();
        const float c = target > value ? attack : release;
        value = value + c * (target - value) + 1e-19f;
        return value;
    }
    float getValue() const { return value; }
    void reset() { value = 0.0f; }

private:
    void refresh();

    float value = 0.0f;
    std::atomic<float> attackMs{5.0f}, releaseMs{50.0f};
    float appliedAttackMs = -1.0f, appliedReleaseMs = -1.0f;
    float attack = 1.0f, release = 1.0f;
    double stepSeconds = 88.0 / 44100.0;
};

// Envelope follower of the two filters: measures the peak level of each control step (optionally in a
// narrow band around the measure point), maps -24..0 dB to 0..1 and steps one smoother per filter
// toward it.
//
// Settings may be written from any thread (parameter handler); they take effect at the next step.
// On the audio thread: analyse(left, right, n) for the pieces of a step, endStep() at its end, then read
// value(kLowPass) / value(kHighPass); process(left, right, n) does both for a step of n frames.
class CEnvelopeFollower {
public:
    enum Target { kLowPass = 0, kHighPass = 1 };

    CEnvelopeFollower();

    void setSampleRate(double rate);     // not real-time: redesigns the measure-point filter
    void setStepSeconds(double seconds); // the duration of one control step (about 2 ms by default)
    void setBoostDb(float dB);           // ENV_BOOST
    void setMeasurePoint(float hz);      // MEASUREPOINT: band-pass frequency; measuring in band above 100 Hz
    void setAttackTime(Target target, float ms);  // LP Attack, HP Attack
    void setReleaseTime(Target target, float ms); // LP Release, HP Release

    // Level of one block mapped to 0..1 (-24 dB and below give 0, full scale 1), without smoothing.
    float measure(const float* left, const float* right, int n);
    void analyse(const float* left, const float* right, int n) {
        stepPeak = std::max(stepPeak, peakOf(left, right, n));
    }
    // The level of what analyse() saw since the last step steps both smoothers.
    void endStep();
    void process(const float* left, const float* right, int n) {
        analyse(left, right, n);
        endStep();
    }

    float value(Target target) const { return smoothers[target].getValue(); }
    CEnvelopeSmoother& smoother(Target target) { return smoothers[target]; }
    bool isMeasuringInBand() const { return measurePoint.load(std::memory_order_relaxed) > 100.0f; }

    // Smoothers to 0 (reset and bypass reset); the measure-point filter keeps its state.
    void reset();
    // As reset(), and the measure-point filter forgets what it heard before a pause.
    void restart() {
        reset();
        bandPass.clearState();
    }

private:
    float analysisGain() const;
    // The largest square of the scaled (and band-passed) input.
    float peakOf(const float* left, const float* right, int n);
    static float levelOf(float peak);

    CStereoBiquad bandPass; // band-pass, constant 0 dB peak, 0.1 octave
    CEnvelopeSmoother smoothers[2];
    std::atomic<float> boost{1.0f};
    std::atomic<float> measurePoint{500.0f};
    float designedMeasurePoint = 500.0f;
    float stepPeak = 0.0f;
};

} // namespace DSP
