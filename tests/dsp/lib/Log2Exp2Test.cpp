#include "dsp/lib/Log2Exp2.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

float lane0(__m128 v) {
    return _mm_cvtss_f32(v);
}

// Across the exponents and mantissas the limiter meets (envelopes from 1e-6 to 1e5, gains from −160 to
// +120 dB), within a few float ulps of the exact values; exact at the powers of two.
TEST(Log2Exp2, AgreeWithTheExactFunctionsToAFewUlps) {
    double worstLog = 0.0, worstExp = 0.0;
    for (double x = 1e-6; x < 1e5; x *= 1.0007) {
        const float f = float(x);
        const double exact = std::log2(double(f));
        worstLog = std::max(worstLog, std::fabs(lane0(DSP::log2exp2::log2Of(_mm_set1_ps(f))) - exact));
    }
    for (double y = -27.0; y < 20.0; y += 0.0013) {
        const float f = float(y);
        const double exact = std::exp2(double(f));
        worstExp =
            std::max(worstExp, std::fabs(lane0(DSP::log2exp2::exp2Of(_mm_set1_ps(f))) - exact) / exact);
    }
    EXPECT_LT(worstLog, 4e-6); // absolute: log2 reaches 16.6 here, where a float ulp is 2e-6
    EXPECT_LT(worstExp, 4e-7); // relative: about three ulps
    for (int k = -20; k <= 16; ++k) {
        EXPECT_EQ(lane0(DSP::log2exp2::log2Of(_mm_set1_ps(std::ldexp(1.0f, k)))), float(k));
        EXPECT_EQ(lane0(DSP::log2exp2::exp2Of(_mm_set1_ps(float(k)))), std::ldexp(1.0f, k));
    }
}

} // namespace
