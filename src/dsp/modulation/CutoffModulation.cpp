#include "dsp/modulation/CutoffModulation.h"

#include <algorithm>
#include <cmath>

namespace DSP {

double envelopeModulatedCutoff(const SkewedRange& cutoffParameter, double cutoff, double envelope,
                               double strength) {
    if (strength == 0.0 || envelope == 0.0) return cutoff;
    double depth = strength;
    if (cutoff > 100.0) depth *= skew(0.95 * (1.0 - (cutoff - 100.0) / 21950.0) + 0.05, 30.0);
    return cutoffParameter.toPlain(cutoffParameter.toNormalised(cutoff) + depth * envelope);
}

namespace {

double lfoStep(double f, double amount) {
    if (amount > 0.0) return f + 2.0 * f * amount;
    if (amount < 0.0) return f + 0.75 * f * amount;
    return f;
}

} // namespace

double lfoModulatedCutoff(double cutoff, double lfoValue, double strength) {
    double f = cutoff;
    double s = std::clamp(strength, -3.0, 3.0); // the parameter's range; also bounds the loop
    while (std::fabs(s) > 1.0) {
        const double unit = s > 0.0 ? 1.0 : -1.0;
        f = lfoStep(f, lfoValue * unit);
        s -= unit;
    }
    return lfoStep(f, lfoValue * s);
}

} // namespace DSP
