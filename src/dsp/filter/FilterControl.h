#pragma once

#include "dsp/filter/StereoBiquad.h"
#include "dsp/filter/StereoFilter.h"

namespace DSP {

// The length of one step of the control clock that runs the filter control. The glide and the resonance
// smoothing were made for blocks of 88 frames at 44.1 kHz (about 2 ms); a step of another length applies
// them scaled to its own duration, so that they take the same time at every step length and sample rate.
struct ControlStep {
    // Frames per step at a sample rate: 48 at 44.1 kHz, the same duration (1.09 ms) at other rates.
    static ControlStep forSampleRate(double rate);

    double fraction = 1.0;            // the step's duration in nominal 2 ms blocks
    int samples = 0;                  // the step's length in frames; the coefficient moves last that long
    float amountCoefficient = 0.105f; // the resonance amount's smoothing per step
};

// Once-per-step of one filter and its resonance peak: glides the cut-off toward the block's
// target with the inertia rule and places the peak at the target.
//
// Glide, per nominal 2 ms block: when the target is more than 1 Hz away, the smoothed cut-off moves by a
// fraction k of the distance, but never by more than a factor r up or down (measured from
// max(10 Hz, smoothed)). k = 0.505 and r = 8.05 at 12 and 24 dB; at 48 and 96 dB both shrink with the
// inertia value (k = 0.105, r ≈ 1.0405 at inertia 1), so steep filters sweep slowly enough not to zip.
// A step of f nominal blocks uses 1 − (1 − k)^f and r^f.
//
// Peak: the resonance amount is smoothed by 0.105 per nominal block; gain = amount × 24 dB, tapered to 0
// below 100 Hz and eased above 15 kHz together with the bandwidth; bandwidth in octaves = width × taper.
//
// Each step hands the filter and the peak their new designs as moves over the step's frames.
class CFilterControl {
public:
    // inertia = clamp(1 − (1 − v)³, 0.001, 1) for the inertia parameter v in [0, 1].
    static float inertiaFromParameter(float v);

    // The peak never sits above this frequency, wherever the cut-off goes.
    static constexpr double kPeakCeilingHz = 18000.0;
    struct PeakShape {
        double gainDb, octaves;
    };
    // Gain and bandwidth of the peak for the block's cut-off target at a (smoothed) resonance amount.
    static PeakShape peakShape(double targetHz, float resonanceAmount, float resonanceWidth);

    // targetHz: the block's modulated cut-off; resonanceAmount 0..1; resonanceWidth 0.54..1.5 octaves.
    // Non-finite inputs leave everything unchanged.
    void update(double targetHz, float resonanceAmount, float resonanceWidth, float inertia,
                CStereoFilter& filter, CStereoBiquad& peak, const ControlStep& step = {});

    // Starts without a glide: the smoothed values become the parameter values and the filter and the
    // peak frequency jump to the cut-off.
    void reset(double cutoffHz, float resonanceAmount, CStereoFilter& filter, CStereoBiquad& peak);

    double smoothedCutoff() const { return smoothedHz; }
    float smoothedResonance() const { return smoothedAmount; }

private:
    struct GlideRule {
        double k = 0.505, r = 8.05;
    };
    // Returns whether the cut-off moved.
    bool glide(double targetHz, float inertia, CStereoFilter& filter, const ControlStep& step);
    void placePeak(double targetHz, float resonanceAmount, float resonanceWidth, CStereoBiquad& peak,
                   bool gliding, const ControlStep& step);
    const GlideRule& glideRule(bool steep, float inertia, double fraction);

    double smoothedHz = 1000.0;
    float smoothedAmount = 0.0f;
    float peakHz = 1000.0f;
    // The rule of the last step and what it was made for.
    GlideRule rule;
    bool ruleSteep = false;
    float ruleInertia = -1.0f;
    double ruleFraction = 1.0;
};

} // namespace DSP
