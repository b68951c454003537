#pragma once

#include "dsp/lib/GeneratorBase.h"

namespace DSP::Generators {

// Sine by a rotating phasor: each sample rotates (x, y) by ω = 2π·f / fs and outputs x.
// reset() puts the phasor at (0, −1), so the output is sin(ω·k) for the k-th sample after a reset.
// The double and the float generators keep separate state; use one of them per instance.
class CSineOSC : public GeneratorBase {
public:
    CSineOSC();

    void recalculate() override;
    double nextSample() override;
    // n values of nextSample() at once, four independent rotations at a time (equal within double
    // rounding).
    void generate(double* out, int n) override;
    using GeneratorBase::generate;
    float nextSampleFloat() override;
    void reset() override;
    // The double generator moved by n samples at once, as n calls of nextSample() would within double
    // rounding.
    void skip(int n);

private:
    double stepCos = 1.0, stepSin = 0.0;
    double x = 0.0, y = -1.0;
    float stepCosF = 1.0f, stepSinF = 0.0f;
    float xf = 0.0f, yf = -1.0f;
};

} // namespace DSP::Generators
