#pragma once

#include "dsp/fx/RingMod.h"
#include "dsp/fx/Vibrato.h"
#include "dsp/modulation/SkewedRange.h"

#include <atomic>
#include <cstdint>

namespace DSP::FX {

// A setting pulled toward the low-pass cut-off on the parameters' normalised scales: with m the
// setting's own position, lp the low-pass position and p the link percentage,
//   x = m + (lp - m) p   for p >= 0 (p = 1 puts the setting at the low-pass position),
//   x = m - |p| lp m     for p < 0,
// and the result is the setting's plain value at x (clamped to its range).
double linkedToLowPass(const SkewedRange& setting, double value, double lowPassNormalised, double percent);

// Ring-modulator settings ("RingModFreq", "RingModeStrength", "RinkModLinkFreqPerc.").
// Handler: the setters, from any thread. Audio thread, once per block after the cut-offs are smoothed:
// update(ring, lowPassNormalised) with the low-pass parameter's normalised position of the smoothed
// low-pass cut-off. The effective frequency is kept for the editor.
class CRingModControl {
public:
    // The range and curve of "RingModFreq".
    explicit CRingModControl(const SkewedRange& frequencyRange = {200.0, 12000.0, 30.0});

    void setFrequency(float hz) { frequency.store(hz, std::memory_order_relaxed); }
    void setMix(float value) { mix.store(value, std::memory_order_relaxed); }
    void setLinkPercent(float percent) { linkPercent.store(percent, std::memory_order_relaxed); }

    float update(CFXRingMod& ring, double lowPassNormalised);
    float effectiveFrequency() const { return effective.load(std::memory_order_relaxed); }

private:
    SkewedRange range;
    std::atomic<float> frequency{500.0f};
    std::atomic<float> mix{0.0f};
    std::atomic<float> linkPercent{0.0f};
    std::atomic<float> effective{500.0f};
};

// Frequency-modulator settings ("FreqModFreq", "FreqModeStrength", "FreqModLinkFreqPerc.",
// "FreqModLinkMixPercent"). Handler: the setters, from any thread. Audio thread, once per block after
// the cut-offs are smoothed: update(vibrato, lowPassNormalised); it reaches the vibrato when a setting
// changed, and every block while a link percentage is non-zero.
class CFreqModControl {
public:
    // The ranges and curves of "FreqModFreq" and "FreqModeStrength".
    explicit CFreqModControl(const SkewedRange& frequencyRange = {0.0, 16000.0, 30.0},
                             const SkewedRange& mixRange = {0.0, 1.0, 0.0});

    void setFrequency(float hz);
    void setMix(float value);
    void setLinkFrequencyPercent(float percent);
    void setLinkMixPercent(float percent);
    bool isLinked() const;

    void update(CVibrato& vibrato, double lowPassNormalised);
    float effectiveRate() const { return rate.load(std::memory_order_relaxed); }
    float effectiveMix() const { return appliedMix.load(std::memory_order_relaxed); }

private:
    void changed() { version.fetch_add(1, std::memory_order_relaxed); }

    SkewedRange frequencyRange;
    SkewedRange mixRange;
    std::atomic<float> frequency{6.0f};
    std::atomic<float> mix{0.0f};
    std::atomic<float> linkFrequency{0.0f};
    std::atomic<float> linkMix{0.0f};
    std::atomic<std::uint32_t> version{1};
    std::uint32_t appliedVersion = 0;
    std::atomic<float> rate{6.0f};
    std::atomic<float> appliedMix{0.0f};
};

} // namespace DSP::FX
