#include "dsp/filter/FilterControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using DSP::CFilterControl;

// Smoothed cut-offs of successive blocks gliding from `from` to a fixed target.
std::vector<double> glide(int slope, float inertia, double from, double to, int blocks) {
    DSP::CStereoFilter filter;
    DSP::CStereoBiquad peak;
    filter.setOrderFromSlope(slope);
    CFilterControl control;
    control.reset(from, 0.0f, filter, peak);
    std::vector<double> path;
    for (int b = 0; b < blocks; ++b) {
        control.update(to, 0.0f, 1.0f, inertia, filter, peak);
        path.push_back(control.smoothedCutoff());
    }
    return path;
}

TEST(FilterControl, InertiaFromParameter) {
    EXPECT_FLOAT_EQ(CFilterControl::inertiaFromParameter(0.0f), 0.001f);
    EXPECT_FLOAT_EQ(CFilterControl::inertiaFromParameter(0.5f), 0.875f);
    EXPECT_FLOAT_EQ(CFilterControl::inertiaFromParameter(1.0f), 1.0f);
}

TEST(FilterControl, GentleSlopesIgnoreInertia) {
    for (int slope : {12, 24}) {
        const auto slow = glide(slope, 1.0f, 1000.0, 3000.0, 20);
        EXPECT_EQ(slow, glide(slope, 0.001f, 1000.0, 3000.0, 20));
        EXPECT_NEAR(slow[0], 1000.0 + 0.505 * 2000.0, 1e-9); // no ratio cap: 2010 < 1000 × 8.05
        // The remaining distance shrinks by 0.495 per block until it is within 1 Hz.
        EXPECT_NEAR(3000.0 - slow[3], 2000.0 * std::pow(0.495, 4), 1e-6);
        EXPECT_NEAR(slow.back(), 3000.0, 1.0);
        // Big jumps up are limited to a factor 8.05 per block; going down, half the distance is less.
        EXPECT_NEAR(glide(slope, 1.0f, 100.0, 20000.0, 1)[0], 805.0, 1e-9);
        EXPECT_NEAR(glide(slope, 1.0f, 20000.0, 20.0, 1)[0], 20000.0 - 0.505 * 19980.0, 1e-9);
    }
}

TEST(FilterControl, SteepSlopesGlideByInertia) {
    for (int slope : {48, 96}) {
        const auto full = glide(slope, 1.0f, 1000.0, 4000.0, 200);
        const double r = 8.05 - 7.009499955177308;
        // Ratio-limited while far away: each block multiplies by r ≈ 1.0405.
        for (int b = 0; b < 25; ++b) EXPECT_NEAR(full[b], 1000.0 * std::pow(r, b + 1), 1e-6 * full[b]) << b;
        int blocksToArrive = 0;
        while (std::fabs(full[blocksToArrive] - 4000.0) > 1.0) ++blocksToArrive;
        EXPECT_GT(blocksToArrive, 35);
        EXPECT_LT(blocksToArrive, 100);

        const auto light = glide(slope, 0.001f, 1000.0, 4000.0, 10);
        EXPECT_NEAR(light[0], 1000.0 + (0.505 - 0.0004) * 3000.0, 1e-6);
        const auto down = glide(slope, 1.0f, 4000.0, 100.0, 2);
        EXPECT_NEAR(down[1], 4000.0 / r / r, 1e-6);
    }
}

TEST(FilterControl, TinyMovesAndBadInputsChangeNothing) {
    DSP::CStereoFilter filter;
    DSP::CStereoBiquad peak;
    CFilterControl control;
    control.reset(1000.0, 0.0f, filter, peak);
    control.update(1000.9, 0.0f, 1.0f, 1.0f, filter, peak);
    EXPECT_EQ(control.smoothedCutoff(), 1000.0);
    control.update(std::nan(""), 0.5f, 1.0f, 1.0f, filter, peak);
    control.update(2000.0, std::numeric_limits<float>::infinity(), 1.0f, 1.0f, filter, peak);
    EXPECT_EQ(control.smoothedCutoff(), 1000.0);
    EXPECT_LT(control.smoothedResonance(), 1e-6f);
}

// Settled peak gain and bandwidth for a target: amount × 24 dB, tapered below 100 Hz and above 15 kHz.
TEST(FilterControl, ResonancePeakPlacement) {
    struct Expect {
        double target, gain, width, frequency;
    };
    const Expect cases[] = {{1000.0, 24.0, 1.2, 1000.0},
                            {50.0, 24.0 * 0.45, 1.2, 50.0},
                            {10.0, 24.0 * 0.35, 1.2, 10.0}, // gain from the clamped 40 Hz
                            {22050.0, 19.0, 1.2 * 0.4, 18000.0}};
    for (const Expect& e : cases) {
        DSP::CStereoFilter filter;
        DSP::CStereoBiquad peak;
        CFilterControl control;
        control.reset(e.target, 0.0f, filter, peak);
        for (int b = 0; b < 400; ++b) control.update(e.target, 1.0f, 1.2f, 1.0f, filter, peak);
        EXPECT_NEAR(peak.gain(), e.gain, 1e-3) << e.target;
        EXPECT_NEAR(peak.bandwidth(), e.width, 1e-5) << e.target;
        EXPECT_NEAR(peak.frequency(), e.frequency, 1e-3) << e.target;
    }
    // The amount approaches its parameter by 0.105 per block.
    DSP::CStereoFilter filter;
    DSP::CStereoBiquad peak;
    CFilterControl control;
    control.reset(1000.0, 0.0f, filter, peak);
    control.update(1000.0, 1.0f, 1.0f, 1.0f, filter, peak);
    EXPECT_NEAR(control.smoothedResonance(), 0.105f, 1e-6f);
    EXPECT_NEAR(peak.gain(), 0.105f * 24.0f, 1e-4f);
}

} // namespace
