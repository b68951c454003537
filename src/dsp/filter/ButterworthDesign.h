#pragma once

#include "dsp/filter/Cascade.h"

namespace DSP {

enum class FilterResponse { LowPass, HighPass };

// Digital Butterworth filter of order 1..8 by the bilinear transform with the −3 dB point pre-warped
// to cutoffHz (limited to 0.4995·sampleRate): ⌈order/2⌉ sections, the conjugate pole pairs as
// second-order sections and, for an odd order, the real pole as a last first-order section.
FilterDesign designButterworth(FilterResponse response, int order, double cutoffHz, double sampleRate);

// The all-pass with the same poles: each section's numerator becomes its mirrored denominator,
// (a2 + a1·z⁻¹ + z⁻²) over (1 + a1·z⁻¹ + a2·z⁻²), or (a1 + z⁻¹) over (1 + a1·z⁻¹) for a first-order section.
FilterDesign allPassOf(const FilterDesign& design);

} // namespace DSP
