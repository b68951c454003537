#include "dsp/fx/Distortion.h"
#include "utilities/Spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

using DSP::FX::CDistortion;

namespace {

constexpr double kRate = 44100.0;

// The left channel after `from` at `level`, in 88-frame blocks; `change` moves the level to `to` at
// the block that starts there.
std::vector<float> drive(std::vector<float> left, float level, size_t change = SIZE_MAX, float to = 0.0f) {
    CDistortion distortion;
    distortion.setLevel(level);
    distortion.reset();
    std::vector<float> right = left;
    for (size_t at = 0; at < left.size(); at += 88) {
        if (at == change) distortion.setLevel(to);
        distortion.process({left.data() + at, right.data() + at},
                           int(std::min<size_t>(88, left.size() - at)));
    }
    return left;
}

std::vector<float> tone(size_t n, double hz, double amplitude = 0.5) {
    std::vector<float> x(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = float(amplitude * std::sin(2.0 * std::numbers::pi * hz * double(i) / kRate));
    return x;
}

double decibels(double power) {
    return 10.0 * std::log10(power);
}

} // namespace

TEST(Distortion, LevelMapping) {
    CDistortion distortion;
    EXPECT_FLOAT_EQ(distortion.getWet(), 1.0f);
    EXPECT_FLOAT_EQ(distortion.getCompensation(), 0.43f);

    distortion.setLevel(0.5f); // v = 1 - 1.5 / 2 = 0.25; c = 0.57 * 1.625 / 2.375
    distortion.reset();
    EXPECT_FLOAT_EQ(distortion.getWet(), 0.25f);
    EXPECT_FLOAT_EQ(distortion.getDry(), 0.75f);
    EXPECT_NEAR(distortion.getCompensation(), 1.0 - 0.57 * 1.625 / 2.375, 1e-6);
}

TEST(Distortion, CurveIsOddSteepAtZeroAndSaturates) {
    CDistortion distortion;
    EXPECT_NEAR(distortion.shape(1e-4f) / 1e-4f, 10.0, 1e-2);
    EXPECT_FLOAT_EQ(distortion.shape(1.0f), 1.0f); // 11 / 11
    EXPECT_FLOAT_EQ(distortion.shape(-0.3f), -distortion.shape(0.3f));
    EXPECT_NEAR(distortion.shape(1000.0f), 1.0, 0.01);
}

// Level 0 passes the audio untouched; level 1 gives the curve scaled by 0.43 at its level (the
// oversampling filters only shift the phase in the audio band).
TEST(Distortion, LevelZeroIsCleanAndLevelOneFullyShaped) {
    const std::vector<float> input = tone(8800, 200.0, 0.3);
    EXPECT_EQ(drive(input, 0.0f), input);

    CDistortion curve;
    double expected = 0.0, measured = 0.0;
    const std::vector<float> shaped = drive(input, 1.0f);
    for (size_t i = 4410; i < input.size(); ++i) {
        expected += std::pow(0.43 * curve.shape(input[i]), 2.0);
        measured += double(shaped[i]) * shaped[i];
    }
    EXPECT_NEAR(decibels(measured / expected), 0.0, 0.02);
}

// A -6 dBFS tone at full drive, on an exact bin so that every harmonic falls on a bin of its own: the
// largest bin that is no harmonic is what folded back from above the audio band (without oversampling
// about -50 dBc at 1 kHz and -21 dBc at 5 to 7 kHz).
TEST(Distortion, FullDriveKeepsAliasesUnderTheTone) {
    constexpr int n = 16384;
    const struct {
        double hz, limitDbc;
    } cases[] = {{1000.0, -60.0}, {5000.0, -40.0}, {6000.0, -40.0}, {7000.0, -40.0}};
    for (const auto& c : cases) {
        const int bin = int(c.hz * n / kRate) | 1;
        const std::vector<float> out = drive(tone(3 * n, bin * kRate / n), 1.0f);
        const std::vector<double> power = powerSpectrum(out.data() + 2 * n, n, false);
        double alias = 0.0;
        for (int k = 1; k < n / 2; ++k)
            if (k % bin != 0) alias = std::max(alias, power[size_t(k)]);
        EXPECT_LT(decibels(alias / power[size_t(bin)]), c.limitDbc) << c.hz << " Hz";
    }
}

// 100 Hz in sine phase and 200 Hz in cosine phase carry no DC, but the curve's even-order products of
// them do (-24 dBFS without a blocker); the blocker after the curve takes it under -80 dBFS within half a
// second.
TEST(Distortion, NoDcAfterTheCurve) {
    std::vector<float> input = tone(44100, 100.0, 0.3);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] += float(0.2 * std::cos(2.0 * std::numbers::pi * 200.0 * double(i) / kRate));
    const std::vector<float> out = drive(input, 1.0f);
    double sum = 0.0;
    for (size_t i = 22050; i < out.size(); ++i) sum += out[i];
    EXPECT_LT(20.0 * std::log10(std::fabs(sum / 22050.0)), -80.0);
}

// A click spreads over the whole spectrum; the gliding weights keep the change of level between the
// harmonics of a 1 kHz tone (at least 400 Hz from any), where a step of the weights puts -60 to -66 dBc.
TEST(Distortion, DriveChangesWithoutAClick) {
    constexpr int n = 8192;
    constexpr size_t change = 22088; // a block boundary
    const struct { float from, to; } cases[] = {{0.2f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.7f}};
    for (const auto& c : cases) {
        const std::vector<float> out = drive(tone(44100, 1000.0), c.from, change, c.to);
        const std::vector<double> power = powerSpectrum(out.data() + change - n / 2, n, true);
        double between = 0.0, fundamental = 0.0;
        for (size_t k = 1; k < power.size(); ++k) {
            const double hz = double(k) * kRate / n;
            if (std::fabs(hz - 1000.0) < 20.0) fundamental = std::max(fundamental, power[k]);
            if (std::fabs(hz - 1000.0 * std::round(hz / 1000.0)) >= 400.0)
                between = std::max(between, power[k]);
        }
        EXPECT_LT(decibels(between / fundamental), -75.0) << c.from << " -> " << c.to;
    }
}
