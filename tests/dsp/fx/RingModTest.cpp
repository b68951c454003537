#include "dsp/fx/RingMod.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using DSP::FX::CFXRingMod;

namespace {

// Gains of n samples: the modulator applied to a constant 1.
std::vector<float> gains(CFXRingMod& ring, int n) {
    std::vector<float> l(n, 1.0f), r(n, 1.0f);
    ring.processStereoInPlace(DSP::StereoView{l.data(), r.data()}, n);
    for (int i = 0; i < n; ++i) EXPECT_EQ(l[i], r[i]);
    return l;
}

} // namespace

TEST(RingMod, MixZeroLeavesTheSignalUnchanged) {
    CFXRingMod ring;
    ring.setParameter(CFXRingMod::kFrequency, 1000.0f);
    for (float g : gains(ring, 2000)) ASSERT_FLOAT_EQ(g, 1.0f);
    ring.setParameter(CFXRingMod::kMix, -1.0f); // negative mixes act as 0
    for (float g : gains(ring, 2000)) ASSERT_FLOAT_EQ(g, 1.0f);
}

TEST(RingMod, FullMixSwingsTheGainBetweenZeroAndOne) {
    CFXRingMod ring;
    ring.setParameter(CFXRingMod::kFrequency, 441.0f); // 100 samples per cycle
    ring.setParameter(CFXRingMod::kMix, 1.0f);
    gains(ring, 10000); // mix settled
    ring.reset();       // carrier back to phase 0
    const std::vector<float> g = gains(ring, 200);
    for (int k = 1; k <= 200; ++k) {
        const double o = std::sin(2.0 * std::numbers::pi * k / 100.0);
        ASSERT_NEAR(g[k - 1], 1.0 - (o + 1.0) * 0.5, 1e-5) << k;
    }
}

TEST(RingMod, FrequencyAtTheFloorFadesTheModulationOut) {
    CFXRingMod ring;
    ring.setParameter(CFXRingMod::kFrequency, 441.0f);
    ring.setParameter(CFXRingMod::kMix, 1.0f);
    gains(ring, 10000);
    ring.reset();
    ring.setParameter(CFXRingMod::kFrequency, 0.0f); // clamped to 0.01 Hz, at or below 0.0101: off
    EXPECT_FLOAT_EQ(ring.getFrequency(), 0.01f);
    // The carrier barely moves at 0.01 Hz, so the gain is 1 - enable / 2 with enable = 0.99989^k.
    const std::vector<float> g = gains(ring, 60000);
    EXPECT_NEAR(g[9090], 1.0 - 0.5 * std::pow(1.0 - 0.00011, 9091), 0.01);
    EXPECT_NEAR(g[59999], 1.0, 1e-3);

    CFXRingMod stillOn;
    stillOn.setParameter(CFXRingMod::kFrequency, 0.0102f);
    stillOn.setParameter(CFXRingMod::kMix, 1.0f);
    stillOn.reset();
    const std::vector<float> h = gains(stillOn, 20000);
    EXPECT_LT(h[19999], 0.55f) << "just above the floor the modulation stays on";
}

// Settled at mix 0 the block loop only moves the carrier; run against the per-sample path, which never
// skips, the output matches through the fade-out, the rest, and a later mix that must start in phase.
TEST(RingMod, SkippedRestMatchesRunningEverySampleAndResumesInPhase) {
    CFXRingMod blockwise, perSample;
    bool skipped = false;
    auto run = [&](float mix, int blocks) {
        for (CFXRingMod* ring : {&blockwise, &perSample}) {
            ring->setParameter(CFXRingMod::kFrequency, 1234.5f);
            ring->setParameter(CFXRingMod::kMix, mix);
        }
        for (int b = 0; b < blocks; ++b) {
            std::vector<float> l(88), r(88);
            for (int i = 0; i < 88; ++i) l[i] = r[i] = 0.5f + 0.25f * float((b * 88 + i) % 7);
            std::vector<float> expectedL(88), expectedR(88);
            for (int i = 0; i < 88; ++i) perSample.processSample(l[i], r[i], expectedL[i], expectedR[i]);
            skipped = skipped || blockwise.isTransparent();
            blockwise.processStereoInPlace(DSP::StereoView{l.data(), r.data()}, 88);
            for (int i = 0; i < 88; ++i) {
                ASSERT_NEAR(l[i], expectedL[i], 1e-6) << "mix " << mix << " block " << b << " sample " << i;
                ASSERT_NEAR(r[i], expectedR[i], 1e-6) << "mix " << mix << " block " << b << " sample " << i;
            }
        }
    };
    run(0.8f, 50);
    run(0.0f, 3000); // 264000 samples: the smoothers come to rest
    EXPECT_TRUE(skipped);
    run(0.6f, 200);
    EXPECT_FALSE(blockwise.isTransparent());
}
