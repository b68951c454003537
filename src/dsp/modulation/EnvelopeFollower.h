#pragma once

#include <atomic>

namespace DSP {

// Stereo band-pass with a constant 0 dB peak and its bandwidth in octaves (second-order equaliser
// formulas), the measure point of the envelope follower. Runs in double with a 1e-18 offset per output
// against denormals.
class CMeasurePointFilter {
public:
    CMeasurePointFilter();

    void setSampleRate(double rate);
    // Centre frequency in Hz, clamped to [1, sampleRate / 2].
    void setFrequency(double hz);
    void setBandwidthOctaves(double octaves);
    void clearState();
    // Clears the state once it holds a non-finite value (after non-finite input); call once per block.
    void recoverIfBroken();

    void process(float& left, float& right) {
        left = static_cast<float>(tick(left, state[0]));
        right = static_cast<float>(tick(right, state[1]));
    }

private:
    struct ChannelState {
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    };

    double tick(double x, ChannelState& s) const {
        const double y = b0 * x + b2 * s.x2 - a1 * s.y1 - a2 * s.y2 + 1e-18; // b1 = 0 for a band-pass
        s.x2 = s.x1;
        s.x1 = x;
        s.y2 = s.y1;
        s.y1 = y;
        return y;
    }
    void design();

    double sampleRate = 44100.0;
    double frequency = 500.0;
    double bandwidth = 0.1;
    double b0 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    ChannelState state[2];
};

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

    // Smoothers to 0 and the measure-point filter cleared (bypass reset).
    void reset();

private:
    float analysisGain() const;

    CMeasurePointFilter bandPass;
    CEnvelopeSmoother smoothers[2];
    std::atomic<float> boost{1.0f};
    std::atomic<float> measurePoint{500.0f};
    float designedMeasurePoint = 500.0f;
};

} // namespace DSP
