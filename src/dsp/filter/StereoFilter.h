#pragma once

#include "dsp/filter/ButterworthDesign.h"
#include "dsp/filter/Cascade.h"
#include "dsp/filter/CoefficientCache.h"
#include "dsp/filter/FilterVoice.h"

namespace DSP {

// One of the effect's two stereo filters: a Butterworth design of order N run twice in series
// (cascades A then B), so the response is the squared Butterworth, −6 dB at the cut-off and
// 12·N dB per octave. Cascade C is the all-pass with the same poles.
//
// The high-pass filter object is marked as such. In filter mode 0 it still designs the low-pass and
// outputs C(x) − B(A(x)), the complement of the squared low-pass against the all-pass, so low-pass and
// high-pass of the same cut-off sum to the all-pass. In mode 1 (design as high-pass) it designs the
// Butterworth high-pass and outputs B(A(x)).
//
// Designs come from a per-object coefficient cache (both channels share it); the cascades run in the
// filter's voice. Audio thread: setCutoff, setEngaged, process, clearState, sanitize. Setup (may
// redesign, never allocates): the other setters.
class CStereoFilter {
public:
    static constexpr int maxOrder = 8;

    CStereoFilter();

    // Floors to whole Hz, clamps to [10, 22000] and loads that cut-off's cache slot (designing it on
    // the first visit), at once or moving there over rampSamples. The cascades keep their state.
    void setCutoff(double hz, int rampSamples = 0);
    // In or out of the signal path, faded over fadeSamples (see CFilterVoice).
    void setEngaged(bool on, int fadeSamples) { filterVoice.setEngaged(on, fadeSamples); }
    void setSampleRate(double rate);
    // order = dB / 12; ignored unless 1 ≤ order ≤ 8. Empties the cache, redesigns and clears the state.
    void setOrderFromSlope(int dB);
    void setHighPassMarker(bool on);
    void setDesignAsHighPass(bool on);

    void clearState() { filterVoice.clearState(); }
    // Clears the state of any cascade that holds a NaN or infinity; returns whether it did.
    // process() calls it after every block, so a non-finite input spoils at most that block.
    bool sanitize() { return filterVoice.sanitize(); }

    // Input and output arrays may coincide.
    void process(const float* inL, const float* inR, float* outL, float* outR, int n) {
        filterVoice.process(inL, inR, outL, outR, n);
    }

    double cutoff() const { return cutoffHz; }
    double sampleRate() const { return rate; }
    int order() const { return filterOrder; }
    bool designsHighPass() const { return highPassMarker && designAsHighPass; }
    // The design currently loaded in A and B, and the all-pass C.
    const FilterDesign& design() const { return filterVoice.design(); }
    FilterDesign allPass() const { return filterVoice.allPass(); }
    const CFilterVoice& voice() const { return filterVoice; }
    CFilterVoice& voice() { return filterVoice; }
    const CCoefficientCache& cache() const { return coefficientCache; }

private:
    void redesignAfterTypeChange();
    void loadSlot(int slot, int rampSamples);

    CCoefficientCache coefficientCache;
    CFilterVoice filterVoice;
    double rate = 44100.0;
    double cutoffHz = 1000.0;
    int filterOrder = maxOrder;
    int loadedSlot = -1;
    bool highPassMarker = false;
    bool designAsHighPass = false;
};

} // namespace DSP
