#include "dsp/fx/HalfbandFilter.h"

#include <cmath>
#include <numbers>

namespace DSP::FX {

void designHalfband(double* coefficients, int count, double transition) {
    constexpr double pi = std::numbers::pi;
    // Selectivity k of the pass-band edge, and the nome q of the elliptic modulus (series in e).
    double k = std::tan((1.0 - 2.0 * transition) * pi / 4.0);
    k *= k;
    const double root = std::pow(1.0 - k * k, 0.25);
    const double e = 0.5 * (1.0 - root) / (1.0 + root);
    const double e4 = e * e * e * e;
    const double q = e * (1.0 + e4 * (2.0 + e4 * (15.0 + 150.0 * e4)));
    const int order = 2 * count + 1;
    for (int c = 1; c <= count; ++c) {
        // Theta-function sums; q < 0.2 here, so a dozen terms are far below double precision.
        double numerator = 0.0, denominator = 0.0, sign = 1.0;
        for (int m = 0; m < 12; ++m, sign = -sign) {
            numerator += sign * std::pow(q, m * (m + 1.0)) * std::sin((2 * m + 1) * c * pi / order);
            if (m > 0) denominator += sign * std::pow(q, double(m * m)) * std::cos(2.0 * m * c * pi / order);
        }
        const double w = numerator * std::pow(q, 0.25) / (denominator + 0.5);
        const double w2 = w * w;
        const double x = std::sqrt((1.0 - w2 * k) * (1.0 - w2 / k)) / (1.0 + w2);
        coefficients[c - 1] = (1.0 - x) / (1.0 + x);
    }
}

} // namespace DSP::FX
