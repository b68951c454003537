#include "dsp/lib/SineOSC.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

TEST(SineOSC, FollowsSineFromZeroPhase) {
    DSP::Generators::CSineOSC osc;
    osc.setSampleRate(48000.0);
    osc.setFrequency(1000.0);
    EXPECT_EQ(osc.getFrequency(), 1000.0);
    const double omega = 2.0 * std::numbers::pi * 1000.0 / 48000.0;
    for (int k = 1; k <= 500; ++k) ASSERT_NEAR(osc.nextSample(), std::sin(omega * k), 1e-12) << k;
    osc.reset();
    EXPECT_NEAR(osc.nextSample(), std::sin(omega), 1e-12);
}

TEST(SineOSC, FloatVersionStaysOnUnitCircleForLongRuns) {
    DSP::Generators::CSineOSC osc;
    osc.setSampleRate(44100.0);
    osc.setFrequency(3.7);
    float peak = 0.0f;
    for (int k = 0; k < 20 * 44100; ++k) {
        const float v = osc.nextSampleFloat();
        if (k > 19 * 44100) peak = std::max(peak, std::fabs(v));
    }
    EXPECT_NEAR(peak, 1.0f, 1e-4f);
}

TEST(SineOSC, BlockFormMatchesSampleForm) {
    DSP::Generators::CSineOSC a, b;
    a.setFrequency(440.0);
    b.setFrequency(440.0);
    float block[64];
    a.generate(block, 64);
    for (float v : block) EXPECT_EQ(v, b.nextSampleFloat());
}

// Skipping n samples lands where n calls would, for short and long skips, slow and fast rates.
TEST(SineOSC, SkipMatchesStepping) {
    for (double hz : {0.05, 440.0, 15000.0}) {
        DSP::Generators::CSineOSC stepped, skipped;
        stepped.setFrequency(hz);
        skipped.setFrequency(hz);
        for (int n : {1, 2, 87, 88, 1000, 0, 65537}) {
            for (int i = 0; i < n; ++i) stepped.nextSample();
            skipped.skip(n);
            ASSERT_NEAR(skipped.nextSample(), stepped.nextSample(), 1e-9) << hz << " Hz after " << n;
        }
    }
}

// Block generation turns four phasors side by side; the values and where the oscillator stands
// afterwards agree with calling nextSample() for every length, over a long run.
TEST(SineOSC, BlockGenerationMatchesSampleBySample) {
    for (double hz : {0.3, 1000.0, 21000.0}) {
        DSP::Generators::CSineOSC stepped, blockwise;
        stepped.setFrequency(hz);
        blockwise.setFrequency(hz);
        double values[64];
        for (int block = 0; block < 20000; ++block) {
            const int n = 1 + (block * 37) % 64;
            blockwise.generate(values, n);
            for (int i = 0; i < n; ++i)
                ASSERT_NEAR(values[i], stepped.nextSample(), 1e-9) << hz << " " << block;
        }
    }
}

} // namespace
