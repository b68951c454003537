#include "dsp/fx/RateReduction.h"
#include "dsp/fx/RateReductionControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

using DSP::FX::CRateReduction;
using DSP::FX::CRateReductionControl;

namespace {

// Lengths of the runs of equal output samples for a strictly rising input.
std::vector<int> holdLengths(CRateReduction& reducer, int n) {
    std::vector<float> l(n), r(n);
    for (int i = 0; i < n; ++i) l[i] = r[i] = 0.1f + 0.8f * i / n;
    reducer.process(DSP::StereoView{l.data(), r.data()}, n);
    std::vector<int> runs;
    int run = 1;
    for (int i = 1; i < n; ++i) {
        if (l[i] == l[i - 1]) {
            ++run;
        } else {
            runs.push_back(run);
            run = 1;
        }
    }
    return runs;
}

} // namespace

TEST(RateReduction, StepSizesOfTheDepth) {
    CRateReduction reducer;
    reducer.setDepth(1.0f);
    EXPECT_FLOAT_EQ(reducer.getSteps(), 16002.0f);
    reducer.setDepth(0.3f);
    EXPECT_NEAR(reducer.getSteps(), (1.0 - 0.7 * 501.0 / 351.0) * 16000.0 + 2.0, 1e-2);
    EXPECT_NEAR(reducer.getSteps(), 15.7, 0.05);

    // Quantisation truncates toward zero on the grid 1/q.
    const float q = reducer.getSteps();
    std::vector<float> l{0.5f, -0.5f, 0.03f}, r{0.2f, -0.2f, 0.0f};
    reducer.process(DSP::StereoView{l.data(), r.data()}, 3);
    EXPECT_FLOAT_EQ(l[0], std::trunc(0.5f * q) / q);
    EXPECT_FLOAT_EQ(l[1], -l[0]);
    EXPECT_FLOAT_EQ(l[2], 0.0f);
    EXPECT_FLOAT_EQ(r[0], std::trunc(0.2f * q) / q);
}

TEST(RateReduction, HoldLengthsOfTheRate) {
    // 1 / increment, increment = (1 - 15 w / (14 w + 1)) 0.99 + 0.01, w = 0.97 (1 - v)
    const std::pair<float, double> cases[] = {{1.0f, 1.0}, {0.5f, 13.254}, {0.2f, 34.85}, {0.0f, 83.08}};
    for (const auto& [level, hold] : cases) {
        CRateReduction reducer;
        reducer.setRate(level);
        EXPECT_NEAR(1.0 / reducer.getIncrement(), hold, 0.01 * hold) << level;
        const std::vector<int> runs = holdLengths(reducer, 4000);
        ASSERT_GT(runs.size(), 5u) << level;
        for (size_t i = 1; i < runs.size(); ++i) {
            EXPECT_GE(runs[i], std::floor(hold)) << level;
            EXPECT_LE(runs[i], std::ceil(hold)) << level;
        }
    }
}

TEST(RateReduction, LevelOneWithoutLinkPassesAudioUnchanged) {
    CRateReduction reducer;
    CRateReductionControl control;
    control.setLevel(1.0f);
    control.update(reducer, 1000.0f, false);
    std::vector<float> l{0.123456f, -0.654321f, 0.999f}, r{0.5f, 0.25f, -1e-6f};
    const std::vector<float> inL = l, inR = r;
    reducer.process(DSP::StereoView{l.data(), r.data()}, 3);
    EXPECT_EQ(l, inL);
    EXPECT_EQ(r, inR);
}

TEST(RateReductionControl, LowPassLink) {
    CRateReductionControl control;
    control.setLevel(0.7f);
    EXPECT_FLOAT_EQ(control.effectiveLevel(100.0f, false), 0.7f) << "link off: the level";

    control.setLpLink(true);
    control.setLinkAmount(1.0f);
    EXPECT_FLOAT_EQ(control.effectiveLevel(22050.0f, false), 1.0f);
    EXPECT_FLOAT_EQ(control.effectiveLevel(0.0f, false), 0.0f);
    EXPECT_FLOAT_EQ(control.effectiveLevel(30000.0f, false), 1.0f) << "cut-off clamped to 22050";
    const double p = 21.0 * 0.1 / (1.0 + 20.0 * 0.1); // skew(2205 / 22050, -20)
    EXPECT_NEAR(control.effectiveLevel(2205.0f, false), p, 1e-6);
    EXPECT_FLOAT_EQ(control.effectiveLevel(0.0f, true), 0.7f) << "no link while settings load";

    control.setFlip(true); // reversed and limited to 90 %
    EXPECT_NEAR(control.effectiveLevel(22050.0f, false), 0.1, 1e-6);
    EXPECT_FLOAT_EQ(control.effectiveLevel(0.0f, false), 1.0f);

    control.setLinkAmount(-0.5f); // amount 0.5 with flip
    EXPECT_TRUE(control.isFlipped());
    EXPECT_NEAR(control.effectiveLevel(2205.0f, false), (1.0 - p) * 0.45 + 0.55, 1e-6);
    control.setLinkAmount(0.5f);
    EXPECT_FALSE(control.isFlipped());
    EXPECT_NEAR(control.effectiveLevel(2205.0f, false), 1.0 - (1.0 - p) * 0.5, 1e-6);
}

TEST(RateReductionControl, UpdateFollowsTheCutoffOnlyWhileLinked) {
    CRateReduction reducer;
    CRateReductionControl control;
    control.setLpLink(true);
    control.setLinkAmount(1.0f);
    control.update(reducer, 22050.0f, false);
    EXPECT_FLOAT_EQ(reducer.getIncrement(), 1.0f);
    control.update(reducer, 0.0f, false); // the next block, cut-off closed
    EXPECT_NEAR(reducer.getIncrement(), 0.012, 0.001);
    EXPECT_NEAR(reducer.getSteps(), 15.7, 0.05);

    control.setLevel(1.0f);
    control.setLpLink(false); // switching the link off re-applies the stored level
    control.update(reducer, 0.0f, false);
    EXPECT_FLOAT_EQ(reducer.getIncrement(), 1.0f);
    EXPECT_FLOAT_EQ(reducer.getSteps(), 16002.0f);
}

TEST(RateReduction, RecoversAfterNonFiniteInput) {
    CRateReduction reducer;
    CRateReductionControl::apply(reducer, 0.0f); // long holds
    std::vector<float> l(88, 0.25f), r(88, 0.25f);
    for (float& x : l) x = std::numeric_limits<float>::quiet_NaN();
    reducer.process(DSP::StereoView{l.data(), r.data()}, 88);
    std::vector<float> l2(88, 0.25f), r2(88, 0.25f);
    reducer.process(DSP::StereoView{l2.data(), r2.data()}, 88);
    for (int i = 0; i < 88; ++i) ASSERT_TRUE(std::isfinite(l2[i]) && std::isfinite(r2[i])) << i;

    reducer.reset();
    std::vector<float> l3(1, 0.5f), r3(1, 0.5f);
    CRateReductionControl::apply(reducer, 0.0f);
    reducer.process(DSP::StereoView{l3.data(), r3.data()}, 1);
    EXPECT_EQ(l3[0], 0.0f) << "reset clears the held samples and the phase";
}

// At level 1 the block passes untouched without the per-sample loop; a model of the sample-and-hold run
// over every sample shows the same output and leaves the same held samples and phase, so a lower level
// afterwards takes its samples exactly where the loop would have.
TEST(RateReduction, IdentityAtLevelOneKeepsTheHoldStateOfTheLoop) {
    CRateReduction reducer;
    float phase = 0.0f, heldL = 0.0f, heldR = 0.0f;
    int sample = 0;
    for (float level : {0.37f, 1.0f, 0.37f, 1.0f, 0.61f}) {
        CRateReductionControl::apply(reducer, level);
        const float steps = reducer.getSteps(), increment = reducer.getIncrement();
        const bool quantise = level < 1.0f;
        for (int block = 0; block < 40; ++block) {
            std::vector<float> l(88), r(88), expectedL(88), expectedR(88);
            for (int i = 0; i < 88; ++i, ++sample) {
                l[i] = 0.7f * std::sin(0.013f * float(sample));
                r[i] = 0.5f * std::cos(0.029f * float(sample));
                phase += increment;
                if (phase >= 1.0f) {
                    phase -= std::floor(phase);
                    heldL = quantise ? std::trunc(l[i] * steps) / steps : l[i];
                    heldR = quantise ? std::trunc(r[i] * steps) / steps : r[i];
                }
                expectedL[i] = heldL;
                expectedR[i] = heldR;
            }
            reducer.process(DSP::StereoView{l.data(), r.data()}, 88);
            for (int i = 0; i < 88; ++i) {
                ASSERT_NEAR(l[i], expectedL[i], 1e-6) << "level " << level << " block " << block << " " << i;
                ASSERT_NEAR(r[i], expectedR[i], 1e-6) << "level " << level << " block " << block << " " << i;
            }
        }
    }
}
