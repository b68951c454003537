#include "dsp/filter/FilterStage.h"
#include "ResponseMeasurement.h"

#include <gtest/gtest.h>

namespace {

using DSP::CFilterStage;
using kavren::test::decibels;
using kavren::test::responseAt;

constexpr double rate = 44100.0;

void settle(CFilterStage& stage, double lowPassHz, double highPassHz) {
    stage.resetControl(CFilterStage::LowPass, lowPassHz, 0.0f);
    stage.resetControl(CFilterStage::HighPass, highPassHz, 0.0f);
    stage.clearState();
}

// Impulse response with the same signal as host input and work buffer.
std::vector<float> measure(CFilterStage& stage) {
    const int length = 1 << 14;
    std::vector<float> inL(length), inR(length), outL(length), outR(length), parL(64), parR(64);
    inL[0] = inR[0] = 1.0f;
    for (int pos = 0; pos < length; pos += 64) {
        DSP::StereoView in{inL.data() + pos, inR.data() + pos};
        stage.process({in, in, {parL.data(), parR.data()}, {outL.data() + pos, outR.data() + pos}}, 64);
    }
    return outL;
}

TEST(FilterStage, SeriesModeIsABandPass) {
    CFilterStage stage;
    stage.setSlope(CFilterStage::LowPass, 48);
    stage.setSlope(CFilterStage::HighPass, 48);
    settle(stage, 4000.0, 250.0);
    const auto r = measure(stage);
    EXPECT_NEAR(decibels(std::abs(responseAt(r, 1000.0, rate))), 0.0, 0.1);
    EXPECT_LT(decibels(std::abs(responseAt(r, 60.0, rate))), -40.0);
    EXPECT_LT(decibels(std::abs(responseAt(r, 16000.0, rate))), -40.0);
}

TEST(FilterStage, ParallelModeIsANotchBetweenTheCutoffs) {
    CFilterStage stage;
    EXPECT_TRUE(stage.setMode(1));
    EXPECT_FALSE(stage.setMode(1));
    EXPECT_TRUE(stage.filter(CFilterStage::HighPass).designsHighPass());
    EXPECT_FALSE(stage.filter(CFilterStage::LowPass).designsHighPass());
    stage.setSlope(CFilterStage::LowPass, 24);
    stage.setSlope(CFilterStage::HighPass, 24);
    settle(stage, 500.0, 4000.0);
    const auto r = measure(stage);
    EXPECT_NEAR(decibels(std::abs(responseAt(r, 50.0, rate))), 0.0, 0.1);
    EXPECT_NEAR(decibels(std::abs(responseAt(r, 15000.0, rate))), 0.0, 0.2);
    EXPECT_LT(decibels(std::abs(responseAt(r, std::sqrt(500.0 * 4000.0), rate))), -30.0);
}

TEST(FilterStage, ResonancePeakFollowsTheLowPass) {
    CFilterStage stage;
    stage.setSlope(CFilterStage::LowPass, 12);
    settle(stage, 2000.0, 20.0);
    for (int b = 0; b < 300; ++b) {
        stage.updateControl(CFilterStage::LowPass, 2000.0, 1.0f, 0.54f, 1.0f);
        stage.updateControl(CFilterStage::HighPass, 20.0, 0.0f, 1.0f, 1.0f);
    }
    const auto r = measure(stage);
    // Peak +24 dB on top of the squared low-pass's −6 dB at the cut-off (the high-pass is far away).
    EXPECT_NEAR(decibels(std::abs(responseAt(r, 2000.0, rate))), 24.0 - 6.02, 0.1);
}

TEST(FilterStage, SanitizeClearsSpoiltState) {
    CFilterStage stage;
    settle(stage, 1000.0, 100.0);
    std::vector<float> l(64, std::numeric_limits<float>::infinity()), r(64, 0.0f), pl(64), pr(64);
    DSP::StereoView io{l.data(), r.data()};
    stage.process({io, io, {pl.data(), pr.data()}, io}, 64);
    EXPECT_FALSE(stage.sanitize()); // process already cleared it
    std::fill(l.begin(), l.end(), 0.0f);
    stage.process({io, io, {pl.data(), pr.data()}, io}, 64);
    for (int i = 0; i < 64; ++i) {
        ASSERT_TRUE(std::isfinite(l[i]));
        ASSERT_LT(std::fabs(l[i]), 1e-6f);
    }
}

} // namespace
