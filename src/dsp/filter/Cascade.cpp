#include "dsp/filter/Cascade.h"

#include <cmath>

namespace DSP {

void CStereoCascade::load(const FilterDesign& design) {
    coefficients = design;
}

void CStereoCascade::clearState() {
    for (int s = 0; s <= FilterDesign::maxSections; ++s)
        history1[s] = StereoDouble{}, history2[s] = StereoDouble{};
}

bool CStereoCascade::sanitize() {
    // x·0 is 0 for every finite x and NaN for NaN and ±∞, so one sum tests all entries.
    StereoDouble probe{};
    for (int s = 0; s <= FilterDesign::maxSections; ++s) probe += history1[s] * 0.0 + history2[s] * 0.0;
    if (probe[0] == 0.0 && probe[1] == 0.0) return false;
    clearState();
    return true;
}

void CStereoCascade::processInPlace(float* left, float* right, int n) {
    dispatchSections(coefficients.sections, [&]<int S>() {
        CascadeKernel<S> kernel(*this);
        for (int i = 0; i < n; ++i) {
            const StereoDouble y = kernel.tick(StereoDouble{left[i], right[i]});
            left[i] = static_cast<float>(y[0]);
            right[i] = static_cast<float>(y[1]);
        }
    });
}

} // namespace DSP
