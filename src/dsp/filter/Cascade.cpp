#include "dsp/filter/Cascade.h"

namespace DSP {

void CStereoCascade::clearState() {
    for (int s = 0; s <= FilterDesign::maxSections; ++s)
        history1[s] = StereoDouble{}, history2[s] = StereoDouble{};
}

void CStereoCascade::move(const FilterDesign& step, int n) {
    for (int s = 0; s < coefficients.sections; ++s) {
        BiquadCoefficients& c = coefficients.section[s];
        const BiquadCoefficients& k = step.section[s];
        c.b0 += n * k.b0, c.b1 += n * k.b1, c.b2 += n * k.b2, c.a1 += n * k.a1, c.a2 += n * k.a2;
    }
}

bool CStereoCascade::sanitize() {
    // x·0 is 0 for every finite x and NaN for NaN and ±∞, so one sum tests all entries.
    StereoDouble probe{};
    for (int s = 0; s <= FilterDesign::maxSections; ++s) probe += history1[s] * 0.0 + history2[s] * 0.0;
    if (probe[0] == 0.0 && probe[1] == 0.0) return false;
    clearState();
    return true;
}

} // namespace DSP
