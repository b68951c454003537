#include "dsp/modulation/CutoffModulation.h"

#include <gtest/gtest.h>

using DSP::envelopeModulatedCutoff;
using DSP::lfoModulatedCutoff;

namespace {

const DSP::SkewedRange kLowPassCutoff{40.0, 22050.0, 30.0};

} // namespace

TEST(LfoModulation, StepsOfUnitStrengthThenTheRemainder) {
    const double f = 1000.0;
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, 1.0, 0.0), f);
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, 0.0, 3.0), f);
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, 1.0, 0.5), 2000.0);
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, -1.0, 0.5), 625.0);
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, 1.0, 1.0), 3000.0);
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, -1.0, -1.0), 3000.0);
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, 1.0, 2.5), 18000.0);  // x3, x3, x2
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, 1.0, -2.5), 39.0625); // x0.25, x0.25, x0.625
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, 1.0, 3.0), 27000.0);
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, 1.0, -3.0), 15.625);
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, 0.5, 3.0), 8000.0);
    EXPECT_DOUBLE_EQ(lfoModulatedCutoff(f, 1.0, 1e300), 27000.0) << "strength beyond the range is bounded";
}

TEST(EnvelopeModulation, MovesAlongTheParameterScale) {
    EXPECT_NEAR(envelopeModulatedCutoff(kLowPassCutoff, 1000.0, 1.0, 0.0), 1000.0, 1e-9);
    EXPECT_NEAR(envelopeModulatedCutoff(kLowPassCutoff, 1000.0, 0.0, 1.0), 1000.0, 1e-9);
    // At or below 100 Hz the depth is the strength itself: full strength and envelope open fully.
    EXPECT_NEAR(envelopeModulatedCutoff(kLowPassCutoff, 100.0, 1.0, 1.0), 22050.0, 1e-6);
    EXPECT_NEAR(envelopeModulatedCutoff(kLowPassCutoff, 100.0, 1.0, -1.0), 40.0, 1e-6);

    // Half strength at 100 Hz moves the knob by half its travel.
    const double n100 = kLowPassCutoff.toNormalised(100.0);
    EXPECT_NEAR(envelopeModulatedCutoff(kLowPassCutoff, 100.0, 0.5, 0.5), kLowPassCutoff.toPlain(n100 + 0.25),
                1e-6);

    // At the top of the range the depth factor is skew(0.05, 30) = 1 - 31 * 0.95 / 29.5.
    const double topDepth = 1.0 - 31.0 * 0.95 / 29.5;
    EXPECT_NEAR(envelopeModulatedCutoff(kLowPassCutoff, 22050.0, 1.0, -1.0),
                kLowPassCutoff.toPlain(1.0 - topDepth), 1e-6);
    EXPECT_NEAR(envelopeModulatedCutoff(kLowPassCutoff, 22050.0, 1.0, 1.0), 22050.0, 1e-6)
        << "clamped at the top";
}
