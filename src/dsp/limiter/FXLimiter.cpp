#include "dsp/limiter/FXLimiter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr float peakCap = 100000.0f;
constexpr float silence = 1e-18f;
constexpr float denormalOffset = 1e-19f;
constexpr int initialBlockSize = 512;
} // namespace

CFXLimiter::CFXLimiter() {
    setLookAhead();
    setMaxBlockSize(initialBlockSize);
    recompute();
}

void CFXLimiter::setLookAhead() {
    const int p = static_cast<int>(0.005 * sampleRate + 1.0);
    windowLength = p + 1;
    runValues.assign(windowLength, 0.0f);
    runTimes.assign(windowLength, 0);
    runFront = runSize = 0;
    lookAhead.setDelay(p);
}

void CFXLimiter::setSampleRate(float rate) {
    FXModule::setSampleRate(rate);
    lookAhead.setSampleRate(rate);
    recompute();
}

void CFXLimiter::setMaxBlockSize(int frames) {
    peaks.assign(std::max(frames, 1), 0.0f);
}

void CFXLimiter::setParameter(int index, float value) {
    if (!std::isfinite(value)) return;
    switch (index) {
    case Threshold:
        threshold = std::max(value, 1e-6f);
        break;
    case Ratio:
        ratioExponent = value;
        break;
    case Attack:
        attackMs = std::max(value, 0.0f);
        break;
    case Release:
        releaseMs = std::max(value, 0.0f);
        break;
    case OutputGain:
        outputGain = value;
        break;
    default:
        return;
    }
    recompute();
}

// Attack and release are half-lives: per sample the envelope keeps 2^(−1 / (ms·0.001·fs)) of its
// distance to the peak, so it covers half of it in that time.
float CFXLimiter::halfLifeKeep(float ms) const {
    return ms == 0.0f ? 0.0f : static_cast<float>(std::exp2(-1.0 / (ms * 0.001 * sampleRate)));
}

void CFXLimiter::recompute() {
    attackCoefficient = 1.0f - halfLifeKeep(attackMs);
    releaseCoefficient = releaseMs == 0.0f ? 1.0f : halfLifeKeep(releaseMs);
    autoReleaseCoefficient = halfLifeKeep(autoReleaseMs);
    makeup = std::pow(threshold, 1.0f - ratioExponent);
    outputScale = (1.0f / makeup + 1.0f) * 0.5f;
    // The automatic release time falls to 1 % of a step within 50 ms.
    autoReleaseFall = static_cast<float>(1.0 - std::pow(0.01, 1.0 / (0.05 * sampleRate)));
}

void CFXLimiter::reset() {
    lookAhead.reset();
    runFront = runSize = 0;
    rootedMaximum = runningPeak = 0.0f;
    std::fill(peaks.begin(), peaks.end(), 0.0f);
    envelope = 1.0f;
    autoReleaseMs = 1.1f;
    autoReleaseCoefficient = halfLifeKeep(autoReleaseMs);
}

void CFXLimiter::process(float* left, float* right, int n) {
    const int chunk = static_cast<int>(peaks.size());
    for (int done = 0; done < n; done += chunk)
        processChunk(left + done, right + done, std::min(chunk, n - done));
}

void CFXLimiter::processChunk(float* left, float* right, int n) {
    // x·0 is NaN exactly for NaN and ±∞: one sum finds them without a branch per sample.
    float probe = 0.0f;
    for (int i = 0; i < n; ++i) probe += left[i] * 0.0f + right[i] * 0.0f;
    if (probe != 0.0f) {
        for (int i = 0; i < n; ++i) {
            if (!std::isfinite(left[i])) left[i] = 0.0f;
            if (!std::isfinite(right[i])) right[i] = 0.0f;
        }
    }
    detectPeaks(left, right, n);
    computeGains(n);
    lookAhead.process(left, right, left, right, n);
    const float outFactor = outputGain * outputScale;
    for (int i = 0; i < n; ++i) {
        const float g = peaks[i] * outFactor;
        left[i] *= g;
        right[i] *= g;
    }
}

void CFXLimiter::pushPeak(float p) {
    // Drop the maximum when it has left the window, then every smaller or equal value behind it.
    if (runSize > 0 && runTimes[runFront] <= time - windowLength) {
        runFront = runFront + 1 == windowLength ? 0 : runFront + 1;
        --runSize;
    }
    while (runSize > 0) {
        int back = runFront + runSize - 1;
        if (back >= windowLength) back -= windowLength;
        if (runValues[back] > p) break;
        --runSize;
    }
    int slot = runFront + runSize;
    if (slot >= windowLength) slot -= windowLength;
    runValues[slot] = p;
    runTimes[slot] = time;
    ++runSize;
    ++time;
}

float CFXLimiter::windowMaximum() const {
    return runSize > 0 ? runValues[runFront] : 0.0f;
}

void CFXLimiter::detectPeaks(const float* left, const float* right, int n) {
    float loudest = 0.0f;
    for (int i = 0; i < n; ++i)
        loudest = std::max(loudest, std::max(std::fabs(left[i]), std::fabs(right[i])));
    if (loudest < silence) {
        // Silence does not advance the window; a window that has gone quiet gives zero peaks.
        if (windowMaximum() < silence) std::fill_n(peaks.begin(), n, 0.0f);
        return;
    }
    for (int i = 0; i < n; ++i) {
        const float l = left[i] + denormalOffset;
        const float r = right[i] + denormalOffset;
        pushPeak(std::max(l * l, r * r));
        // The window maximum usually stays put for many samples; take its root only when it moves.
        const float maximum = windowMaximum();
        if (maximum != rootedMaximum) {
            rootedMaximum = maximum;
            runningPeak = std::min(std::sqrt(maximum), peakCap);
            if (runningPeak < denormalOffset) runningPeak = 0.0f;
        }
        peaks[i] = runningPeak;
    }
}

void CFXLimiter::computeGains(int n) {
    const bool automatic = releaseMs <= 1.0f;
    float release = automatic ? autoReleaseCoefficient : releaseCoefficient;
    const float attackKeep = 1.0f - attackCoefficient;
    const float log2Makeup = std::log2(makeup);
    // env + (peak − env)·a = env·(1 − a) + peak·a: with the peak terms off the recursion, each sample's
    // envelope is one multiply and one add away from the previous one.
    float env = envelope;
    for (int i = 0; i < n; ++i) {
        const float peak = peaks[i];
        if (peak > env) {
            env = env * attackKeep + (peak * attackCoefficient + denormalOffset);
        } else {
            env = env * release + (peak - peak * release + denormalOffset);
        }
        // gain = makeup·env^(k − 1), taken through log2 so the automatic release can reuse the logarithm.
        float log2Gain = 0.0f, gain = unity;
        if (env > threshold) {
            log2Gain = log2Makeup + (ratioExponent - 1.0f) * std::log2(env);
            gain = std::exp2(log2Gain);
        }
        if (automatic) release = followAutomaticRelease(log2Gain);
        peaks[i] = gain;
    }
    envelope = env;
}

// r = reduction / 24 dB; t = 1 + s(r)·650 + 0.1 ms with s(r) = 1 − 7(1 − r) / (6(1 − r) + 1), the skew
// curve with k = 6, so a little reduction keeps the release short and deep reduction lengthens it fast.
// The release coefficient is recomputed only when t moves.
float CFXLimiter::followAutomaticRelease(float log2Gain) {
    constexpr float decibelsPerOctave = 6.0205999f;
    constexpr float idleMs = 1.0f + 0.1f; // t without gain reduction
    if (log2Gain == 0.0f && autoReleaseMs == idleMs) return autoReleaseCoefficient;
    const float reduction = std::clamp(log2Gain * decibelsPerOctave / -24.0f, 0.0f, 1.0f);
    const float rest = 1.0f - reduction;
    const float skewed = 1.0f - 7.0f * rest / (6.0f * rest + 1.0f);
    const float target = 1.0f + skewed * 650.0f + 0.1f;
    const float next =
        target > autoReleaseMs ? target : autoReleaseMs + (target - autoReleaseMs) * autoReleaseFall;
    if (next != autoReleaseMs) {
        autoReleaseMs = next;
        autoReleaseCoefficient = halfLifeKeep(autoReleaseMs);
    }
    return autoReleaseCoefficient;
}
