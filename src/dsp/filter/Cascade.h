#pragma once

#include "dsp/filter/FilterKernels.h"
#include "dsp/filter/FilterTypes.h"

namespace DSP {

// Series of direct-form-I sections running on both channels at once in double precision.
// Each section's input history is the previous section's output history, so a cascade of S sections
// keeps S + 1 history pairs. Loading a design keeps the state, so cut-off moves do not click.
class CStereoCascade {
public:
    CStereoCascade() : kernels(&filterKernels()) {}

    void load(const FilterDesign& design) { coefficients = design; }
    // The coefficients plus n·step, section by section.
    void move(const FilterDesign& step, int n);
    const FilterDesign& design() const { return coefficients; }
    int sections() const { return coefficients.sections; }
    void clearState();
    // Clears the state when it holds a NaN or infinity; returns whether it did.
    bool sanitize();

    // Runs n frames through the cascade in place.
    void processInPlace(float* left, float* right, int n) { kernels->runCascade(view(), left, right, n); }
    CascadeView view() { return {&coefficients, history1, history2}; }
    // This cascade's state with another cascade's design, for cascades that always share one.
    CascadeView viewWith(const FilterDesign& design) { return {&design, history1, history2}; }

private:
    const FilterKernels* kernels;
    FilterDesign coefficients;
    StereoDouble history1[FilterDesign::maxSections + 1] = {};
    StereoDouble history2[FilterDesign::maxSections + 1] = {};
};

} // namespace DSP
