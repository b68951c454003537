#include "dsp/filter/Cascade.h"

namespace DSP {

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

} // namespace DSP
