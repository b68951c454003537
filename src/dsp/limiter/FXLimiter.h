#pragma once

#include "dsp/lib/Delay.h"
#include "dsp/lib/FXModule.h"

#include <vector>

// Stereo look-ahead peak limiter with a ceiling at the threshold (1.0, 0 dBFS) before its output gain.
//
// The gain follows an envelope of the peak over the last P + 1 samples (attack and release given as
// half-lives); the audio is delayed by P samples so the envelope has reached a peak when it leaves.
// P = trunc(0.005·rate + 1), 5 ms at every rate (221 samples at 44.1 kHz), is the effect's latency.
// What the envelope has not caught within the look-ahead (3 % of a step with a 1 ms attack) is clipped at
// the ceiling, so the output never passes it. A release of 1 ms or less switches to a program-dependent
// release: about 1.1 ms without gain reduction, up to about 651 ms at 24 dB of reduction; that release
// time falls back within 50 ms. A block of digital silence does not advance the window: the gain follows
// the window's maximum until sound returns, so the samples still in the look-ahead never pass the
// ceiling.
//
// Audio thread: process, reset, setParameter. Setup: setSampleRate, setMaxBlockSize (both allocate).
// Non-finite input samples are replaced by silence before they enter the limiter, so its output is
// always finite.
class CFXLimiter : public FXModule {
public:
    enum Parameter { Threshold = 0, Ratio = 1, Attack = 2, Release = 3, OutputGain = 4 };

    CFXLimiter();

    void setSampleRate(float rate) override;
    void setMaxBlockSize(int frames) override;
    void reset() override;

    // Threshold and output gain linear, ratio as the exponent k (gain = env^(k−1) above the threshold),
    // attack and release in ms. The output is clipped at threshold × output gain, the ceiling of a
    // limiter (k near 0).
    void setParameter(int index, float value);
    // In place; any n.
    void process(float* left, float* right, int n);
    int getLatency() const { return lookAhead.getDelay(); }

private:
    void setLookAhead();
    void recompute();
    float halfLifeKeep(float ms) const;
    void processChunk(float* left, float* right, int n);
    void detectPeaks(const float* left, const float* right, int n);
    // At most kMaxRun samples at a time (scratch on the stack).
    static constexpr int kMaxRun = 128;
    void slideWindow(const float* left, const float* right, float* maxima, int m);
    float windowMaximum() const;
    void computeGains(int n);
    void envelopesToGains(int n);
    float log2GainOf(float log2Env) const { return log2Makeup + (ratioExponent - 1.0f) * log2Env; }
    float followAutomaticRelease(float log2Gain);

    float attackCoefficient = 1.0f;
    float releaseCoefficient = 1.0f;
    float threshold = 1.0f;
    float ratioExponent = 0.0001f;
    float attackMs = 1.0f;
    float releaseMs = 50.0f;
    float outputGain = 1.0f;
    float envelope = 0.0f;
    float unity = 1.0f;
    float makeup = 1.0f;
    float log2Makeup = 0.0f;
    float outputScale = 1.0f;

    // The last windowLength squared peaks, oldest at historyEnd (zeros before the first ones: the
    // squares are never negative, so zeros never raise a maximum).
    int windowLength = 0;
    std::vector<float> history;
    int historyEnd = 0;

    // Per-sample peak, then per-sample gain, for chunks of up to maxChunk samples; three more entries let
    // the gains be computed four at a time.
    std::vector<float> peaks;
    int maxChunk = 1;
    DSP::DELAY::CSimpleStereoDelay lookAhead;

    float autoReleaseMs = 1.1f;
    float autoReleaseCoefficient = 1.0f;
    float autoReleaseFall = 0.0f;
};
