#pragma once

#include "dsp/modulation/SkewedRange.h"

namespace DSP {

// Envelope modulation of a cut-off, moving it along the cut-off parameter's own skewed scale:
//   depth = strength, scaled by skew(0.95 (1 - (f - 100) / 21950) + 0.05, 30) above 100 Hz,
//   result = plain value at clamp(normalised(f) + depth * envelope, 0, 1).
// The higher the cut-off already is, the less the envelope moves it.
// cutoffParameter: range and curve of the cut-off parameter; cutoff: its plain value in Hz.
double envelopeModulatedCutoff(const SkewedRange& cutoffParameter, double cutoff, double envelope,
                               double strength);

// LFO modulation of a cut-off: steps of unit strength while |strength| > 1, then one with the remainder.
// A step with v * s > 0 multiplies the cut-off by (1 + 2 |v s|), with v * s < 0 by (1 - 0.75 |v s|).
// So strength 3 at LFO value 1 multiplies by 27 and -3 by 0.25^3. The caller clamps the result.
double lfoModulatedCutoff(double cutoff, double lfoValue, double strength);

} // namespace DSP
