#pragma once

#include "dsp/filter/Cascade.h"
#include "dsp/filter/FilterControl.h"
#include "dsp/filter/StereoBiquad.h"
#include "dsp/filter/StereoFilter.h"
#include "dsp/lib/DspBaseObject.h"

namespace DSP {

// Buffers of one block of the filter stage; every view holds at least n frames.
struct FilterStageBuffers {
    StereoView input;    // the block as the host delivered it: the high-pass branch's source in mode 1
    StereoView work;     // the signal after the pre-filter effects; read only
    StereoView parallel; // scratch for the high-pass branch in mode 1
    StereoView output;   // the result; may be the same arrays as work
};

// The effect's two filters, their resonance peaks and their controls.
//
// Mode 0 ("Bandpass"): output = HPpeak(LPpeak(HP(LP(work)))); the high-pass is the complement of the
// squared low-pass. Mode 1 ("Notch"): output = LPpeak(LP(work)) + HPpeak(HP(input)), both squared
// Butterworths.
//
// On the audio thread, at every step of the effect's control clock (ControlStep::forSampleRate):
//   process(buffers up to the step's end, frames);                              // filter stage
//   updateControl(LowPass, lpTargetHz, LOWPASSQ, LOWPASSQWIDTH, inertia, step);  // filter control
//   updateControl(HighPass, hpTargetHz, HIGHPASSQ, HIGHPASSQWIDTH, inertia, step);
// The new designs reach the filters and peaks as coefficient moves over the following step. A low-pass
// at 22000 Hz or above and a high-pass at 10 Hz or below are taken out of the signal path (faded over
// four steps), so a fully open filter is transparent.
// Settings, from the parameter handler: setSlope(side, dB) for LOWPASSSLOPE/HIGHPASSSLOPE (12..96);
// setMode(mode) for FILTERMODE, after which the effect exchanges the low-pass and high-pass parameter
// values if it returns true; beginCrossfade() first keeps the old routing sounding while the new one
// fades in. On reset(): resetControl(side, cut-off, resonance amount) for both sides, one updateControl
// round, then clearState(). setSampleRate with the effect's rate.
// Inertia comes from CFilterControl::inertiaFromParameter(FilterInteria).
// Nothing here allocates after construction; process() clears any state a non-finite input spoilt.
class CFilterStage {
public:
    enum Side { LowPass = 0, HighPass = 1 };

    CFilterStage();

    void setSampleRate(double rate);
    // 12, 24, 48 or 96 dB per octave: empties that filter's cache and clears its state.
    void setSlope(Side side, int dB);
    // Mode 0 or 1: both filters switch design, empty their caches and clear their state.
    // Returns whether the mode changed.
    bool setMode(int mode);
    int mode() const { return filterMode; }

    void updateControl(Side side, double targetHz, float resonanceAmount, float resonanceWidth, float inertia,
                       const ControlStep& step = {});
    void resetControl(Side side, double cutoffHz, float resonanceAmount);
    // The filters and peaks as they are now keep running on the input and fade out over `samples`,
    // while what follows (a mode switch, new slopes, a cleared state) fades in.
    void beginCrossfade(int samples);
    void endCrossfade() { fadeLeft = 0; }

    void process(const FilterStageBuffers& buffers, int n);
    void clearState();
    // Clears any filter or peak state holding a NaN or infinity; returns whether it did.
    bool sanitize();

    CStereoFilter& filter(Side side) { return filters[side]; }
    const CStereoFilter& filter(Side side) const { return filters[side]; }
    const CStereoBiquad& peak(Side side) const { return peaks[side]; }
    const CFilterControl& control(Side side) const { return controls[side]; }

private:
    // The two filters and peaks of one routing.
    struct Path {
        CFilterVoice* voices[2];
        CStereoBiquad* peaks[2];
        int mode;
        void process(StereoView input, StereoView work, StereoView branch, StereoView out, int n) const;
    };
    void crossfade(const FilterStageBuffers& buffers, int n);

    CStereoFilter filters[2];
    CStereoBiquad peaks[2];
    CFilterControl controls[2];
    int filterMode = 0;
    // The routing fading out after beginCrossfade().
    CFilterVoice outgoingVoices[2];
    CStereoBiquad outgoingPeaks[2];
    int outgoingMode = 0;
    int fadeLeft = 0, fadeLength = 0;
};

} // namespace DSP
