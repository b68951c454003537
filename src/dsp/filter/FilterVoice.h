#pragma once

#include "dsp/filter/Cascade.h"

namespace DSP {

// The running part of one stereo filter: cascades A and B (the design run twice: B runs with A's
// coefficients) and C (the all-pass with the same poles) with their state, a linear move of the coefficients
// toward the next design, and a fade that takes the filter out of the signal path while it is fully open and
// brings it back.
//
// A move spreads a new design over the given number of samples, so a cut-off that changes every control
// step reaches the cascades as a continuous path of coefficients instead of steps. Copies are plain
// values: a copy keeps running where the original was (the filter stage fades a copy out on a mode
// switch). Nothing here allocates.
class CFilterVoice {
public:
    CFilterVoice();

    // At once (the state is kept) or, with rampSamples > 0 and the same section count, linearly over that
    // many samples, starting from where the coefficients are now.
    void load(const FilterDesign& design, int rampSamples);
    // Output C(x) − B(A(x)) instead of B(A(x)).
    void setComplement(bool on);
    // Out of the path the output is the input; the filter is faded out over fadeSamples and then rests
    // with a cleared state, and faded back in from there.
    void setEngaged(bool on, int fadeSamples);
    bool isEngaged() const { return engagedTarget; }

    // Input and output arrays may coincide.
    void process(const float* inL, const float* inR, float* outL, float* outR, int n);
    void clearState();
    // Clears the state of any cascade that holds a NaN or infinity; returns whether it did.
    bool sanitize();

    const FilterDesign& design() const { return cascadeA.design(); }
    FilterDesign allPass() const;
    bool isMoving() const { return rampLeft > 0; }

private:
    void run(const float* inL, const float* inR, float* outL, float* outR, int n);
    void fade(const float* inL, const float* inR, float* outL, float* outR, int n);
    void moveAllPass();

    const FilterKernels* kernels;
    CStereoCascade cascadeA, cascadeB, cascadeC;
    FilterDesign target, targetAllPass, step, allPassStep;
    int rampLeft = 0;
    bool complement = false;
    bool engagedTarget = true;
    float mix = 1.0f, mixStep = 0.0f;
};

} // namespace DSP
