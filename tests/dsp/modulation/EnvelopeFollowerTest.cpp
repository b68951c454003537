#include "dsp/modulation/EnvelopeFollower.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using DSP::CEnvelopeFollower;

namespace {

struct Stereo {
    std::vector<float> left, right;
};

Stereo sine(double hz, double amplitude, int n, double rate = 44100.0) {
    Stereo s{std::vector<float>(n), std::vector<float>(n)};
    for (int i = 0; i < n; ++i) {
        s.left[i] = s.right[i] =
            static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate));
    }
    return s;
}

// The level of the last 88-sample block of a sine run through the follower block by block, so a
// measure-point filter has settled.
float settledLevel(CEnvelopeFollower& follower, double hz, double amplitude) {
    const int block = 88;
    const Stereo s = sine(hz, amplitude, block * 200);
    float e = 0.0f;
    for (int b = 0; b < 200; ++b) e = follower.measure(&s.left[b * block], &s.right[b * block], block);
    return e;
}

} // namespace

TEST(EnvelopeFollower, BroadbandLevelOfFullScaleSineAtEachBoost) {
    CEnvelopeFollower follower;
    follower.setMeasurePoint(100.0f); // 100 Hz and below measure the whole band
    ASSERT_FALSE(follower.isMeasuringInBand());

    follower.setBoostDb(0.0f); // -8 dB analysis gain: 1 - 8/24
    EXPECT_NEAR(settledLevel(follower, 1000.0, 1.0), 1.0 - 8.0 / 24.0, 2e-3);
    follower.setBoostDb(-12.0f); // -20 dB
    EXPECT_NEAR(settledLevel(follower, 1000.0, 1.0), 1.0 - 20.0 / 24.0, 2e-3);
    follower.setBoostDb(12.0f); // +4 dB clamps to full scale
    EXPECT_FLOAT_EQ(settledLevel(follower, 1000.0, 1.0), 1.0f);
    follower.setBoostDb(0.0f); // -24 dB and below read as 0
    EXPECT_FLOAT_EQ(settledLevel(follower, 1000.0, 0.05), 0.0f);
}

TEST(EnvelopeFollower, MeasurePointHearsOnlyItsBand) {
    CEnvelopeFollower follower;
    follower.setMeasurePoint(1000.0f);
    ASSERT_TRUE(follower.isMeasuringInBand());

    follower.setBoostDb(-12.0f); // +11 - 12 = -1 dB at the band centre
    EXPECT_NEAR(settledLevel(follower, 1000.0, 1.0), 1.0 - 1.0 / 24.0, 5e-3);
    follower.setBoostDb(0.0f);
    EXPECT_FLOAT_EQ(settledLevel(follower, 1000.0, 1.0), 1.0f);
    // Two octaves away the 0.1-octave band-pass leaves far less than -24 dB.
    EXPECT_LT(settledLevel(follower, 250.0, 1.0), 0.1f);
}

// A set time is the time to cover 98 % of a jump (four time constants), at any step length: per step of s
// seconds the coefficient is 1 − exp(−4 s / time); the release time passes the skew curve first (10 ms → 161
// ms).
TEST(EnvelopeFollower, SmoothersCoverTheirSetTimesAtAnyStepLength) {
    using Target = CEnvelopeFollower::Target;
    for (double step : {88.0 / 44100.0, 32.0 / 44100.0, 139.0 / 192000.0}) {
        CEnvelopeFollower follower;
        follower.setStepSeconds(step);
        follower.setMeasurePoint(0.0f);
        follower.setBoostDb(8.0f); // full-scale input reads exactly 1
        follower.setAttackTime(Target::kLowPass, 8.0f);
        follower.setAttackTime(Target::kHighPass, 80.0f);
        follower.setReleaseTime(Target::kLowPass, 1000.0f);
        follower.setReleaseTime(Target::kHighPass, 10.0f);
        const double highPassRelease = 1000.0 * 0.19 / 1.18;
        EXPECT_NEAR(follower.smoother(Target::kHighPass).releaseCoefficient(),
                    1.0 - std::exp(-4.0 * step * 1000.0 / highPassRelease), 1e-6);

        // Milliseconds until both smoothers have covered 1 − e^−4 (98.2 %) of a jump to the level.
        auto timesToCover = [&](float level) {
            const std::vector<float> input(8, level);
            double ms[2] = {0.0, 0.0};
            for (int steps = 1; ms[0] == 0.0 || ms[1] == 0.0; ++steps) {
                follower.process(input.data(), input.data(), 8);
                for (Target t : {Target::kLowPass, Target::kHighPass})
                    if (ms[t] == 0.0 && std::fabs(follower.value(t) - level) <= 0.0184f)
                        ms[t] = steps * step * 1000.0;
            }
            return std::pair(ms[0], ms[1]);
        };
        const auto [lowPassAttack, highPassAttack] = timesToCover(1.0f);
        const double tolerance = 2.0 * step * 1000.0;
        EXPECT_NEAR(lowPassAttack, 8.0, tolerance);
        EXPECT_NEAR(highPassAttack, 80.0, tolerance);
        const auto [lowPassRelease, highPassReleaseMs] = timesToCover(0.0f);
        EXPECT_NEAR(lowPassRelease, 1000.0, tolerance);
        EXPECT_NEAR(highPassReleaseMs, highPassRelease, tolerance);

        follower.reset();
        EXPECT_FLOAT_EQ(follower.value(Target::kLowPass), 0.0f);
        EXPECT_FLOAT_EQ(follower.value(Target::kHighPass), 0.0f);
    }
}

// A reset (bypass, resume) clears the smoothers; the measure-point band-pass rings on undisturbed.
TEST(EnvelopeFollower, ResetClearsTheSmoothersOnly) {
    CEnvelopeFollower reset, untouched;
    const Stereo tone = sine(1000.0, 1.0, 880);
    for (CEnvelopeFollower* follower : {&reset, &untouched}) {
        follower->setMeasurePoint(1000.0f);
        follower->process(tone.left.data(), tone.right.data(), 880);
    }
    reset.reset();
    EXPECT_EQ(reset.value(CEnvelopeFollower::kLowPass), 0.0f);
    EXPECT_EQ(reset.value(CEnvelopeFollower::kHighPass), 0.0f);
    const std::vector<float> silent(88, 0.0f);
    const float ringing = untouched.measure(silent.data(), silent.data(), 88);
    EXPECT_GT(ringing, 0.5f);
    EXPECT_EQ(reset.measure(silent.data(), silent.data(), 88), ringing);
}

TEST(EnvelopeFollower, RecoversInOneBlockAfterNonFiniteInput) {
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        CEnvelopeFollower follower;
        follower.setMeasurePoint(1000.0f);
        Stereo s = sine(1000.0, 1.0, 88);
        s.left[10] = bad;
        const float hit = follower.measure(s.left.data(), s.right.data(), 88);
        EXPECT_TRUE(std::isfinite(hit));

        const float after = follower.measure(s.right.data(), s.right.data(), 88);
        EXPECT_TRUE(std::isfinite(after));
        EXPECT_GT(after, 0.5f) << "measure-point filter left broken by " << bad;
    }
}

// The measurement runs the band-pass over pieces of the block and takes the peak four lanes at a time;
// a sample-by-sample model with a twin band-pass gives the same levels for blocks of every length.
TEST(EnvelopeFollower, PiecewiseMeasurementMatchesSampleBySample) {
    for (float point : {100.0f, 2500.0f}) {
        CEnvelopeFollower follower;
        follower.setBoostDb(4.0f);
        follower.setMeasurePoint(point);
        DSP::CStereoBiquad twin;
        twin.setType(DSP::CStereoBiquad::BandPass);
        twin.setBandwidthInOctaves(true);
        twin.setBandwidth(0.1f);
        twin.setFrequency(point);
        const float g =
            std::pow(10.0f, 4.0f * 0.05f) * (point > 100.0f ? 3.5481338923357546f : 0.3981071705534972f);
        const int lengths[] = {88, 72, 1, 200, 63, 65, 3};
        int sample = 0;
        for (int block = 0; block < 400; ++block) {
            const int n = lengths[block % 7];
            std::vector<float> l(n), r(n);
            float peak = 0.0f;
            for (int i = 0; i < n; ++i, ++sample) {
                l[i] = 0.3f * std::sin(0.37f * float(sample)) * (1.0f + std::sin(0.001f * float(sample)));
                r[i] = 0.2f * std::sin(0.11f * float(sample));
                float x = l[i] * g, y = r[i] * g;
                if (point > 100.0f) twin.process(x, y);
                peak = std::max(peak, std::max(x * x, y * y));
            }
            const double level = 4.342944819032518 * std::log(std::max(static_cast<double>(peak), 1e-30));
            const double expected = std::clamp(1.0 + level / 24.0, 0.0, 1.0);
            ASSERT_NEAR(follower.measure(l.data(), r.data(), n), expected, 1e-6)
                << point << " block " << block;
        }
    }
}
