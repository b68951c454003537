#pragma once

#include "params/SkewCurve.h"

#include <algorithm>

namespace DSP {

using Tessu::skew;

// Range and curve of a parameter, enough to convert between its plain and normalised values
// without holding the parameter object on the audio thread.
struct SkewedRange {
    double minimum = 0.0;
    double maximum = 1.0;
    double curve = 0.0;

    // Normalised position of a plain value (not clamped).
    double toNormalised(double plain) const { return skew((plain - minimum) / (maximum - minimum), -curve); }
    // Plain value at a normalised position, the position clamped to [0, 1] first.
    double toPlain(double normalised) const {
        return minimum + (maximum - minimum) * skew(std::clamp(normalised, 0.0, 1.0), curve);
    }
    double clamp(double plain) const {
        return std::clamp(plain, std::min(minimum, maximum), std::max(minimum, maximum));
    }
};

} // namespace DSP
