#include "dsp/GainStage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

// Block extremes are taken four samples at a time; wherever the extremes sit, and with a NaN sample
// among them, the peaks are those of a plain left-to-right fold.
TEST(GainStage, PeaksOfEveryLengthAndPosition) {
    for (int n = 1; n <= 13; ++n) {
        for (int at = 0; at < n; ++at) {
            const size_t length = static_cast<size_t>(n);
            std::vector<float> l(length), r(length);
            for (int i = 0; i < n; ++i) l[size_t(i)] = r[size_t(i)] = 0.01f * float((i * 7) % 5) - 0.02f;
            l[size_t(at)] = 0.9f;
            r[size_t(at)] = -0.8f;
            if (at + 1 < n) l[size_t(at + 1)] = std::numeric_limits<float>::quiet_NaN();
            float low = l[0], high = l[0];
            for (float x : l) low = std::min(low, x), high = std::max(high, x);
            CGainStage stage;
            stage.process(DSP::StereoView{l.data(), r.data()}, n);
            const CGainStage::Peaks p = stage.takePeaks();
            EXPECT_EQ(p.maxLeft, std::max(high, 0.0f)) << n << " " << at;
            EXPECT_EQ(p.minLeft, std::min(low, 0.0f)) << n << " " << at;
            EXPECT_EQ(p.minRight, -0.8f) << n << " " << at;
        }
    }
}

TEST(GainStage, ConstantGainScalesAndUnityLeavesTheBitsAlone) {
    std::vector<float> l{0.1f, -0.3f, 1e-30f, 0.7f, 0.2f}, r = l;
    CGainStage unity;
    unity.process(DSP::StereoView{l.data(), r.data()}, 5);
    EXPECT_EQ(l, r);
    EXPECT_EQ(l[2], 1e-30f);
    CGainStage half;
    half.setTarget(0.5f);
    half.jumpToTarget();
    half.process(DSP::StereoView{l.data(), r.data()}, 5);
    EXPECT_EQ(l[3], 0.35f);
    EXPECT_EQ(half.takePeaks().minRight, -0.15f);
}
