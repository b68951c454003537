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
    // The depth is taken at the rate of the mix setting.
    vibrato.setSampleRate(96000.0f);
    EXPECT_FLOAT_EQ(vibrato.getDepthTarget(), 275.5f);
    vibrato.setParameter(CVibrato::kMix, 0.5f);
    EXPECT_FLOAT_EQ(vibrato.getDepthTarget(), 600.0f);
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

// Blocks hold enable and depth still once they sit at their fixed points and take the sweep a piece at
// a time; frame by frame nothing is skipped. Both agree through settling, rest, and a new depth.
TEST(Vibrato, BlocksMatchFrameByFrameThroughSettlingAndRest) {
    CVibrato blockwise, frameByFrame;
    int sample = 0;
    auto run = [&](float mix, int blocks) {
        for (CVibrato* v : {&blockwise, &frameByFrame}) {
            v->setParameter(CVibrato::kRate, 3.0f);
            v->setParameter(CVibrato::kMix, mix);
        }
        for (int b = 0; b < blocks; ++b) {
            std::vector<float> l(88), r(88), expectedL(88), expectedR(88);
            for (int i = 0; i < 88; ++i, ++sample) {
                l[i] = 0.5f * std::sin(0.0285f * float(sample));
                r[i] = 0.25f * std::cos(0.0113f * float(sample));
                frameByFrame.processSample(l[i], r[i], expectedL[i], expectedR[i]);
            }
            blockwise.processBlock(DSP::StereoView{l.data(), r.data()}, 88);
            for (int i = 0; i < 88; ++i) {
                ASSERT_NEAR(l[i], expectedL[i], 1e-6) << "mix " << mix << " block " << b << " " << i;
                ASSERT_NEAR(r[i], expectedR[i], 1e-6) << "mix " << mix << " block " << b << " " << i;
            }
        }
    };
    run(0.4f, 2000); // 176000 samples: enable and depth come to rest
    EXPECT_NEAR(blockwise.getDelay(), frameByFrame.getDelay(), 1e-3f);
    run(0.7f, 300);
}

// The effect skips an idle vibrato (writeOnly instead of processBlock). Meanwhile the sweep may fade out
// (rate at 0) or the oscillators keep turning; either way, once a depth is asked for, the skipped one
// sounds as the one that ran throughout.
TEST(Vibrato, SkippedWhileIdleResumesAsIfItHadRun) {
    for (float rate : {0.0f, 3.0f}) {
        CVibrato skipped, running;
        for (CVibrato* v : {&skipped, &running}) {
            v->setParameter(CVibrato::kRate, rate);
            v->setParameter(CVibrato::kMix, 0.0f);
        }
        int sample = 0;
        float worst = 0.0f;
        auto block = [&](bool compare) {
            std::vector<float> l(88), r(88);
            for (int i = 0; i < 88; ++i, ++sample) {
                l[i] = 0.5f * std::sin(0.0627f * float(sample));
                r[i] = 0.25f * std::cos(0.0113f * float(sample));
            }
            std::vector<float> expectedL = l, expectedR = r;
            running.processBlock(DSP::StereoView{expectedL.data(), expectedR.data()}, 88);
            if (skipped.isIdle())
                skipped.writeOnly(DSP::StereoView{l.data(), r.data()}, 88);
            else
                skipped.processBlock(DSP::StereoView{l.data(), r.data()}, 88);
            for (int i = 0; compare && i < 88; ++i)
                worst = std::max({worst, std::fabs(l[i] - expectedL[i]), std::fabs(r[i] - expectedR[i])});
        };
        for (int b = 0; b < 1000; ++b) block(false); // two seconds idle
        ASSERT_TRUE(skipped.isIdle());
        for (CVibrato* v : {&skipped, &running}) v->setParameter(CVibrato::kMix, 1.0f);
        for (int b = 0; b < 250; ++b) block(true);
        EXPECT_LT(worst, 1e-4f) << rate << " Hz";
        EXPECT_NEAR(skipped.getDelay(), running.getDelay(), 1e-2f) << rate << " Hz";
        EXPECT_NEAR(skipped.getSecondOscillatorValue(), running.getSecondOscillatorValue(), 1e-6) << rate;
    }
}

// A 10 kHz tone through a delay swept at 2 Hz over 0.5 to 551 samples (mix 50 %): wherever the read
// falls between samples, the level in every 2 ms stays within 0.5 dB of the input's (a straight line
// between two samples loses up to 2.4 dB half-way).
TEST(Vibrato, TenKilohertzKeepsItsLevelBetweenSamples) {
    CVibrato vibrato;
    vibrato.setParameter(CVibrato::kRate, 2.0f);
    vibrato.setParameter(CVibrato::kMix, 0.5f);
    float worstDb = 0.0f;
    double sum = 0.0;
    for (int k = 0; k < 66150; ++k) {
        const float in = std::sin(2.0f * 3.14159265f * 10000.0f * float(k % 441) / 44100.0f);
        float l = 0.0f, r = 0.0f;
        vibrato.processSample(in, in, l, r);
        sum += double(l) * l;
        if ((k + 1) % 88 == 0) {
            // Mean square 0.5 for the input.
            if (k > 22050) worstDb = std::max(worstDb, std::fabs(float(10.0 * std::log10(sum / 88.0 / 0.5))));
            sum = 0.0;
        }
    }
    EXPECT_LT(worstDb, 0.5f);
}
