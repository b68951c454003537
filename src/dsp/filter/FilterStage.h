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
// Per block, on the audio thread (steps of the effect's process):
//   updateControl(LowPass, lpTargetHz, LOWPASSQ, LOWPASSQWIDTH, inertia);    // filter control
//   updateControl(HighPass, hpTargetHz, HIGHPASSQ, HIGHPASSQWIDTH, inertia);
//   ... pre-filter effects on the work buffer ...
//   process(buffers, n);                                                       // filter stage
// Settings, from the parameter handler: setSlope(side, dB) for LOWPASSSLOPE/HIGHPASSSLOPE (12..96);
// setMode(mode) for FILTERMODE, after which the effect exchanges the low-pass and high-pass parameter
// values if it returns true, then resets. On reset(): resetControl(side, cut-off, resonance amount) for
// both sides, one updateControl round, then clearState(). setSampleRate with the effect's rate.
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

    void updateControl(Side side, double targetHz, float resonanceAmount, float resonanceWidth,
                       float inertia);
    void resetControl(Side side, double cutoffHz, float resonanceAmount);

    void process(const FilterStageBuffers& buffers, int n);
    void clearState();
    // Clears any filter or peak state holding a NaN or infinity; returns whether it did.
    bool sanitize();

    CStereoFilter& filter(Side side) { return filters[side]; }
    const CStereoFilter& filter(Side side) const { return filters[side]; }
    const CStereoBiquad& peak(Side side) const { return peaks[side]; }
    const CFilterControl& control(Side side) const { return controls[side]; }

private:
    CStereoFilter filters[2];
    CStereoBiquad peaks[2];
    CFilterControl controls[2];
    int filterMode = 0;
};

} // namespace DSP
