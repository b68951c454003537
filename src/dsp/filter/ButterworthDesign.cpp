#include "dsp/filter/ButterworthDesign.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace DSP {

// With K = tan(π·fc/fs), the analog section s² + s/Q + 1 (s normalised to the cut-off) maps to
// a0 = 1 + K/Q + K², a1 = 2(K² − 1), a2 = 1 − K/Q + K²; the low-pass numerator is K²(1 + z⁻¹)²,
// the high-pass numerator (1 − z⁻¹)². Pair k of an order-N Butterworth has Q = 1 / (2 sin((2k + 1)π / 2N)).
FilterDesign designButterworth(FilterResponse response, int order, double cutoffHz, double sampleRate) {
    FilterDesign design;
    order = std::clamp(order, 1, 2 * FilterDesign::maxSections);
    const double fc = std::min(cutoffHz, 0.4995 * sampleRate);
    const double k = std::tan(std::numbers::pi * fc / sampleRate);
    const double kk = k * k;
    const bool lowPass = response == FilterResponse::LowPass;

    const int pairs = order / 2;
    for (int p = 0; p < pairs; ++p) {
        const double q = 1.0 / (2.0 * std::sin((2 * p + 1) * std::numbers::pi / (2.0 * order)));
        const double norm = 1.0 / (1.0 + k / q + kk);
        BiquadCoefficients& c = design.section[p];
        c.b0 = lowPass ? kk * norm : norm;
        c.b1 = lowPass ? 2.0 * c.b0 : -2.0 * c.b0;
        c.b2 = c.b0;
        c.a1 = 2.0 * (kk - 1.0) * norm;
        c.a2 = (1.0 - k / q + kk) * norm;
    }
    design.sections = pairs;
    if (order % 2 != 0) {
        // Real pole s = −1: (K + K·z⁻¹) or (1 − z⁻¹) over (1 + K) + (K − 1)·z⁻¹.
        const double norm = 1.0 / (1.0 + k);
        BiquadCoefficients& c = design.section[design.sections++];
        c.b0 = lowPass ? k * norm : norm;
        c.b1 = lowPass ? c.b0 : -c.b0;
        c.b2 = 0.0;
        c.a1 = (k - 1.0) * norm;
        c.a2 = 0.0;
    }
    return design;
}

FilterDesign allPassOf(const FilterDesign& design) {
    FilterDesign allPass = design;
    for (int s = 0; s < allPass.sections; ++s) {
        BiquadCoefficients& c = allPass.section[s];
        if (c.a2 == 0.0) {
            c.b0 = c.a1, c.b1 = 1.0, c.b2 = 0.0;
        } else {
            c.b0 = c.a2, c.b1 = c.a1, c.b2 = 1.0;
        }
    }
    return allPass;
}

} // namespace DSP
