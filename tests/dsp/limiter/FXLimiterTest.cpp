#include "dsp/limiter/FXLimiter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

constexpr int lookAhead = 221;

int lookAheadAt(float rate) {
    return int(0.005 * rate + 1.0);
}

struct Signal {
    std::vector<float> left, right;
};

Signal constant(const std::vector<std::pair<int, float>>& stretches) {
    Signal s;
    for (auto [count, level] : stretches) {
        s.left.insert(s.left.end(), count, level);
        s.right.insert(s.right.end(), count, -level);
    }
    return s;
}

Signal run(CFXLimiter& limiter, Signal s, int block) {
    const int total = static_cast<int>(s.left.size());
    for (int pos = 0; pos < total; pos += block)
        limiter.process(s.left.data() + pos, s.right.data() + pos, std::min(block, total - pos));
    return s;
}

TEST(FXLimiter, LatencyIsFiveMillisecondsAtEveryRateAndBlockLength) {
    for (float rate : {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        const int p = lookAheadAt(rate);
        for (int block : {1, 64, 88, 220, 221, 222, 512, 1000}) {
            CFXLimiter limiter;
            limiter.setSampleRate(rate);
            limiter.setMaxBlockSize(std::min(block, 300)); // longer blocks are processed in parts
            EXPECT_EQ(limiter.getLatency(), p);
            Signal s = constant({{1, 0.5f}, {2500, 0.0f}});
            s.left[700] = 0.25f;
            const Signal out = run(limiter, s, block);
            for (int i = 0; i < 2500; ++i) {
                const float expected = i == p ? 0.5f : i == 700 + p ? 0.25f : 0.0f;
                ASSERT_EQ(out.left[i], expected) << rate << " " << block << " " << i;
            }
        }
    }
}

TEST(FXLimiter, FullScaleSinePassesUnchanged) {
    CFXLimiter limiter;
    Signal s;
    for (int i = 0; i < 8000; ++i) {
        s.left.push_back(std::sin(2.0f * std::numbers::pi_v<float> * 997.0f * i / 44100.0f));
        s.right.push_back(s.left.back() * 0.5f);
    }
    const Signal out = run(limiter, s, 88);
    for (int i = lookAhead; i < 8000; ++i) {
        ASSERT_EQ(out.left[i], s.left[i - lookAhead]) << i;
        ASSERT_EQ(out.right[i], s.right[i - lookAhead]) << i;
    }
}

// A step and a burst of loud sine waves never pass the ceiling at any rate; what the envelope leaves to
// the clip is small, since the look-ahead lasts five attack half-lives at every rate.
TEST(FXLimiter, SuddenPeakIsHeldAtTheCeilingTimesOutputGainAtEveryRate) {
    for (float rate : {44100.0f, 96000.0f, 192000.0f}) {
        CFXLimiter limiter;
        limiter.setSampleRate(rate);
        const int n = int(rate / 10);
        Signal burst = constant({{n, 0.0f}});
        for (int i = n / 2; i < n; ++i) burst.left[i] = burst.right[i] = 4.0f * std::sin(0.07f * float(i));
        const Signal out = run(limiter, burst, 88);
        float loudest = 0.0f, clipped = 0.0f;
        for (int i = 0; i < n; ++i) {
            loudest = std::max(loudest, std::fabs(out.left[i]));
            clipped += std::fabs(out.left[i]) == 1.0f;
        }
        EXPECT_LE(loudest, 1.0f) << rate;
        EXPECT_LT(clipped, 0.01f * float(n)) << rate;
    }
    for (float gainDb : {0.0f, -1.0f, 6.0f}) {
        CFXLimiter limiter;
        const float outGain = std::pow(10.0f, gainDb * 0.05f);
        limiter.setParameter(CFXLimiter::OutputGain, outGain);
        const Signal out = run(limiter, constant({{1000, 0.5f}, {4000, 2.0f}}), 88);
        float loudest = 0.0f;
        for (int i = 0; i < 5000; ++i) loudest = std::max(loudest, std::fabs(out.left[i]));
        EXPECT_EQ(loudest, 1.0f * outGain);
        // Settled: 2·2^(k − 1) = 2^0.0001, held at the ceiling.
        for (int i = 3000; i < 5000; ++i)
            ASSERT_NEAR(std::fabs(out.left[i]), 1.0f * outGain, 1e-4f * outGain) << i;
        // Below the threshold the output gain alone applies.
        for (int i = lookAhead; i < 1000; ++i) ASSERT_FLOAT_EQ(out.left[i], 0.5f * outGain) << i;
    }
}

// After the loud part leaves the window, the envelope falls from 2 toward 0.5 with a 50 ms half-life
// and reaches the threshold 1 after log2(3) half-lives; from then on the gain is exactly 1.
TEST(FXLimiter, FixedReleaseReturnsToUnityOnTime) {
    CFXLimiter limiter;
    const int loudEnd = 10000;
    const Signal out = run(limiter, constant({{loudEnd, 2.0f}, {10000, 0.5f}}), 64);
    const int unityAt = loudEnd + lookAhead + static_cast<int>(std::log2(3.0) * 0.05 * 44100.0);
    EXPECT_LT(out.left[unityAt - 40], 0.4995f);
    EXPECT_GT(out.left[unityAt - 40], 0.49f);
    for (int i = unityAt + 5; i < 20000; ++i) ASSERT_EQ(out.left[i], 0.5f) << i;
}

int samplesToRecover(float burstLevel, float releaseMs, float rate = 44100.0f) {
    CFXLimiter limiter;
    limiter.setSampleRate(rate);
    limiter.setParameter(CFXLimiter::Release, releaseMs);
    const int loudEnd = int(rate) / 5, p = lookAheadAt(rate);
    const Signal out = run(limiter, constant({{loudEnd, burstLevel}, {int(rate), 0.5f}}), 88);
    for (int i = loudEnd + p; i < static_cast<int>(out.left.size()); ++i) {
        if (out.left[i] > 0.99f * 0.5f) return i - (loudEnd + p);
    }
    return -1;
}

TEST(FXLimiter, AutomaticReleaseLengthensWithGainReduction) {
    const int light = samplesToRecover(1.122f, 1.0f); // 1 dB of reduction
    const int heavy = samplesToRecover(16.0f, 1.0f);  // 24 dB
    const int fixedShort = samplesToRecover(16.0f, 1.5f);
    EXPECT_LT(light, 44100 * 5 / 1000);
    EXPECT_LT(fixedShort, 44100 * 20 / 1000);
    EXPECT_GT(heavy, 44100 * 50 / 1000);
    EXPECT_LT(heavy, 44100); // the release shortens as the reduction fades
}

// Release times, the automatic one included, last as long at every rate.
TEST(FXLimiter, ReleaseTakesTheSameTimeAtEveryRate) {
    for (float release : {1.0f, 50.0f})
        for (float level : {4.0f, 16.0f}) {
            const double ms = samplesToRecover(level, release) / 44.1;
            for (float rate : {8000.0f, 96000.0f, 192000.0f})
                EXPECT_NEAR(samplesToRecover(level, release, rate) / (rate / 1000.0), ms, 0.03 * ms + 0.3)
                    << level << " at " << rate;
        }
}

// Loud, limited sound that stops in exact digital silence (as after the rate reducer's quantisation):
// silent blocks hold the window, and the samples still in the look-ahead stay under the ceiling at every
// block length and release.
TEST(FXLimiter, SoundEndingInDigitalSilenceStaysUnderTheCeiling) {
    for (float releaseMs : {1.0f, 10.0f, 50.0f}) {
        for (int block : {64, 88, 221, 384, 512}) {
            for (int stop : {20000, 20037}) {
                CFXLimiter limiter;
                limiter.setParameter(CFXLimiter::Release, releaseMs);
                Signal s = constant({{stop, 0.0f}, {3000, 0.0f}});
                for (int i = 0; i < stop; ++i) s.left[i] = s.right[i] = 2.0f * std::sin(0.0628f * float(i));
                const Signal out = run(limiter, s, block);
                float loudest = 0.0f;
                for (int i = 10000; i < stop + 3000; ++i) loudest = std::max(loudest, std::fabs(out.left[i]));
                EXPECT_LT(loudest, 1.0002f) << releaseMs << " ms, block " << block << ", stop " << stop;
            }
        }
    }
}

TEST(FXLimiter, NonFiniteInputNeverReachesTheOutput) {
    CFXLimiter limiter;
    Signal s = constant({{2000, 0.25f}});
    s.left[100] = std::numeric_limits<float>::quiet_NaN();
    s.right[150] = -std::numeric_limits<float>::infinity();
    s.left[151] = std::numeric_limits<float>::infinity();
    const Signal out = run(limiter, s, 88);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i])) << i;
        if (i >= lookAhead && i - lookAhead != 100 && i - lookAhead != 151) {
            ASSERT_EQ(out.left[i], 0.25f) << i;
        }
    }
    EXPECT_EQ(out.left[100 + lookAhead], 0.0f);
}

TEST(FXLimiter, ResetClearsTheLookAhead) {
    CFXLimiter limiter;
    run(limiter, constant({{500, 3.0f}}), 100);
    limiter.reset();
    const Signal out = run(limiter, constant({{lookAhead, 0.0f}, {400, 0.5f}}), 100);
    for (int i = 0; i < 2 * lookAhead; ++i) ASSERT_EQ(out.left[i], 0.0f) << i;
    EXPECT_EQ(out.left[2 * lookAhead], 0.5f);
}

} // namespace

// With an instant attack the gain follows the window maximum exactly: a single peak of 4 over a level of
// 0.1 reduces the gain to 1/4 for the 222 samples it stays in the window, and then it releases.
TEST(FXLimiter, PeakStaysInTheWindowForExactlyItsLength) {
    for (int block : {1, 88, 221, 222, 512}) {
        CFXLimiter limiter;
        limiter.setParameter(CFXLimiter::Attack, 0.0f);
        limiter.setParameter(CFXLimiter::Release, 1.5f);
        const int at = 1000;
        Signal s = constant({{at, 0.1f}, {1, 4.0f}, {1000, 0.1f}});
        s = run(limiter, s, block);
        EXPECT_NEAR(s.left[at - 1], 0.1f, 1e-6f) << block;
        for (int i = at; i < at + lookAhead + 1; ++i) {
            const float expected = i == at + lookAhead ? 1.0f : 0.025f;
            ASSERT_NEAR(s.left[i], expected, 0.002f * expected) << "block " << block << " sample " << i - at;
        }
        EXPECT_GT(s.left[at + lookAhead + 1], 0.0251f) << block;
    }
}

// The window is taken in runs of up to 221 samples; runs of any length give the same output to the
// last bit (silence aside, which holds the window per block).
TEST(FXLimiter, OutputDoesNotDependOnTheBlockLength) {
    Signal input = constant({{300, 0.2f}, {1, 3.0f}, {150, 0.3f}, {500, 0.001f}, {120, 0.5f}, {700, 1.7f}});
    for (size_t i = 0; i < input.left.size(); ++i) input.left[i] *= 1.0f + 0.5f * std::sin(0.01f * float(i));
    CFXLimiter reference;
    const Signal expected = run(reference, input, 1);
    for (int block : {7, 88, 221, 222, 223, 512}) {
        CFXLimiter limiter;
        const Signal out = run(limiter, input, block);
        for (size_t i = 0; i < out.left.size(); ++i) {
            ASSERT_EQ(out.left[i], expected.left[i]) << "block " << block << " sample " << i;
            ASSERT_EQ(out.right[i], expected.right[i]) << "block " << block << " sample " << i;
        }
    }
}
