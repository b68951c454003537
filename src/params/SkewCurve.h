#pragma once

namespace Tessu {

// The knob law shared by parameters and DSP constants given as curves:
//   skew(x, k) = (1 - k) x / (1 - k x)                      for k < 0
//   skew(x, k) = 1 - (1 + k)(1 - x) / (1 + k (1 - x))       for k >= 0
// skew(0, k) = 0, skew(1, k) = 1, skew(x, 0) = x and skew(skew(x, k), -k) = x. A positive k spends most of
// the travel on the low end: skew(0.5, k) = 1 / (k + 2).
inline double skew(double x, double k) {
    if (k < 0.0) return (1.0 - k) * x / (1.0 - k * x);
    return 1.0 - (1.0 + k) * (1.0 - x) / (1.0 + k * (1.0 - x));
}

} // namespace Tessu
