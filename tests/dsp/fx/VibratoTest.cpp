#include "dsp/fx/Vibrato.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using DSP::FX::CVibrato;

TEST(Vibrato, MixZeroDelaysByOneSample) {
    CVibrato vibrato;
    vibrato.setParameter(CVibrato::kRate, 6.0f);
    vibrato.setParameter(CVibrato::kMix, 0.0f);
    float previous = 0.0f;
    for (int k = 0; k < 1000; ++k) {
        const float in = std::sin(0.05f * k);
        float outL = 0.0f, outR = 0.0f;
        vibrato.processSample(in, -in, outL, outR);
        ASSERT_FLOAT_EQ(outL, previous) << k;
        ASSERT_FLOAT_EQ(outR, -previous) << k;
        previous = in;
    }
}

TEST(Vibrato, DelaySettlesToOneSampleAfterTheMixReturnsToZero) {
    CVibrato vibrato;
    vibrato.setParameter(CVibrato::kMix, 1.0f);
    float l = 0.0f, r = 0.0f;
    for (int k = 0; k < 10000; ++k) vibrato.processSample(0.0f, 0.0f, l, r);
    ASSERT_GT(vibrato.getDelay(), 1.0f);
    vibrato.setParameter(CVibrato::kMix, 0.0f);
    for (int k = 0; k < 10000; ++k) vibrato.processSample(0.0f, 0.0f, l, r);
    EXPECT_LT(vibrato.getDelay(), 1e-3f);
    float previous = 0.0f;
    for (int k = 0; k < 100; ++k) {
        const float in = std::sin(0.3f * k);
        vibrato.processSample(in, in, l, r);
        ASSERT_NEAR(l, previous, 1e-3) << k;
        previous = in;
    }
}

TEST(Vibrato, FullMixSweepsTheDelayOverTwiceTheDepth) {
    CVibrato vibrato;
    vibrato.setParameter(CVibrato::kRate, 6.0f);
    vibrato.setParameter(CVibrato::kMix, 1.0f);
    EXPECT_FLOAT_EQ(vibrato.getDepthTarget(), 1102.5f); // trunc(0.05 * 44100) / 2
    float low = 1e9f, high = 0.0f;
    for (int k = 0; k < 44100; ++k) {
        float l = 0.0f, r = 0.0f;
        vibrato.processSample(0.0f, 0.0f, l, r);
        if (k > 22050) {
            low = std::min(low, vibrato.getDelay());
            high = std::max(high, vibrato.getDelay());
        }
    }
    EXPECT_LT(low, 5.0f);
    EXPECT_GT(high, 2180.0f);
    EXPECT_LE(high, 2205.0f);

    vibrato.setParameter(CVibrato::kMix, 0.5f);
    EXPECT_FLOAT_EQ(vibrato.getDepthTarget(), 275.5f); // trunc(551.25) / 2
}

// A ramp read through the delay gives back the ramp at (k - 1 - delay), which checks the fractional
// read, including across the wrap of the ring.
TEST(Vibrato, InterpolatedReadFollowsTheDelay) {
    CVibrato vibrato;
    vibrato.setParameter(CVibrato::kRate, 0.5f);
    vibrato.setParameter(CVibrato::kShift, 0.25f);
    vibrato.setParameter(CVibrato::kMix, 0.2f); // depth 44: the delay moves slowly between 0 and 88
    vibrato.reset();
    const double slope = 1e-3;
    for (int k = 0; k < 70000; ++k) {
        float l = 0.0f, r = 0.0f;
        vibrato.processSample(static_cast<float>(k * slope), 0.0f, l, r);
        if (k > 200) {
            ASSERT_NEAR(l, (k - 1 - vibrato.getDelay()) * slope, 5e-5) << k;
        }
    }
}

TEST(Vibrato, SecondOscillatorRunsAheadByATenthOfACycle) {
    CVibrato vibrato;
    vibrato.setParameter(CVibrato::kShift, 0.95f);
    EXPECT_NEAR(vibrato.oscillator(0).getShift(), 0.95, 1e-6);
    EXPECT_NEAR(vibrato.oscillator(1).getShift(), 0.05, 1e-6);
    vibrato.setParameter(CVibrato::kRate, 3.0f);
    EXPECT_DOUBLE_EQ(vibrato.oscillator(1).getRate(), 3.0);
}

TEST(Vibrato, RecoversAfterNonFiniteInput) {
    CVibrato vibrato;
    vibrato.setParameter(CVibrato::kMix, 1.0f);
    std::vector<float> l(88, std::numeric_limits<float>::infinity()), r(88, 0.0f);
    r[40] = std::numeric_limits<float>::quiet_NaN();
    vibrato.processBlock(DSP::StereoView{l.data(), r.data()}, 88);
    std::vector<float> l2(88, 0.5f), r2(88, 0.5f);
    vibrato.processBlock(DSP::StereoView{l2.data(), r2.data()}, 88);
    for (int i = 0; i < 88; ++i) ASSERT_TRUE(std::isfinite(l2[i]) && std::isfinite(r2[i])) << i;
}
