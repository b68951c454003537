#include "dsp/fx/ModulationLinks.h"

#include <gtest/gtest.h>

using namespace DSP::FX;

namespace {

const DSP::SkewedRange kRingFrequency{200.0, 12000.0, 30.0};
const DSP::SkewedRange kUnit{0.0, 1.0, 0.0};

} // namespace

TEST(LinkToLowPass, PositiveAndNegativePercentages) {
    // On a linear scale the position is the value: m = 0.6, lp = 0.2.
    EXPECT_NEAR(linkedToLowPass(kUnit, 0.6, 0.2, 0.0), 0.6, 1e-12);
    EXPECT_NEAR(linkedToLowPass(kUnit, 0.6, 0.2, 1.0), 0.2, 1e-12);
    EXPECT_NEAR(linkedToLowPass(kUnit, 0.6, 0.2, 0.5), 0.4, 1e-12);
    EXPECT_NEAR(linkedToLowPass(kUnit, 0.6, 0.2, -1.0), 0.6 - 0.2 * 0.6, 1e-12);
    EXPECT_NEAR(linkedToLowPass(kUnit, 0.6, 0.9, -0.5), 0.6 - 0.5 * 0.9 * 0.6, 1e-12);

    // On a skewed scale the link works on positions: +1 lands on the low-pass position.
    EXPECT_NEAR(linkedToLowPass(kRingFrequency, 5000.0, 0.5, 1.0), kRingFrequency.toPlain(0.5), 1e-6);
    EXPECT_NEAR(linkedToLowPass(kRingFrequency, 5000.0, 0.0, -1.0), 5000.0, 1e-6);
}

TEST(RingModControl, EffectiveFrequency) {
    CFXRingMod ring;
    CRingModControl control;
    control.setFrequency(1000.0f);
    control.setMix(0.5f);
    EXPECT_FLOAT_EQ(control.update(ring, 0.9), 1000.0f);
    EXPECT_FLOAT_EQ(ring.getFrequency(), 1000.0f);

    control.setLinkPercent(1.0f);
    EXPECT_NEAR(control.update(ring, 0.5), kRingFrequency.toPlain(0.5), 1e-2);
    EXPECT_FLOAT_EQ(control.effectiveFrequency(), ring.getFrequency());
    EXPECT_NEAR(control.update(ring, 1.0), 12000.0, 1e-2) << "stays in the parameter's range";
}

TEST(FreqModControl, LinksRateAndMix) {
    CVibrato vibrato;
    CFreqModControl control;
    control.setFrequency(8.0f);
    control.setMix(0.5f);
    control.update(vibrato, 0.3);
    EXPECT_FLOAT_EQ(control.effectiveRate(), 8.0f);
    EXPECT_FLOAT_EQ(control.effectiveMix(), 0.5f);
    EXPECT_DOUBLE_EQ(vibrato.oscillator(0).getRate(), 8.0);

    control.setLinkMixPercent(1.0f); // mix moves to the low-pass position; rate = linked rate - 1
    control.update(vibrato, 0.3);
    EXPECT_NEAR(control.effectiveMix(), 0.3, 1e-6);
    EXPECT_FLOAT_EQ(control.effectiveRate(), 7.0f);
    control.update(vibrato, 0.4); // linked: follows the cut-off every block
    EXPECT_NEAR(control.effectiveMix(), 0.4, 1e-6);

    control.setLinkFrequencyPercent(1.0f);
    control.update(vibrato, 0.5);
    const DSP::SkewedRange fmFrequency{0.0, 16000.0, 30.0};
    EXPECT_NEAR(control.effectiveRate(), fmFrequency.toPlain(0.5) - 1.0, 1e-2);
}
