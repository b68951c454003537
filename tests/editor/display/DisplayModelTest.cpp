// What the central display shows, checked against the formulas: filter curves from the filter design,
// grid and labels, the spectrum of known signals, meter ballistics with an injected clock, and the
// lock-free feed between the audio and GUI threads.
#include "dsp/SampleRing.h"
#include "editor/display/FilterCurve.h"
#include "editor/display/FrequencyGrid.h"
#include "editor/display/LevelMeter.h"
#include "editor/display/LfoPreview.h"
#include "editor/display/SpectrumAnalyser.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Mirda;

namespace {

// Index of the point nearest to a frequency.
int pointNear(const CFilterCurve& curve, double hz) {
    int best = 0;
    for (int i = 1; i < curve.points(); ++i)
        if (std::fabs(std::log(curve.frequencyAt(i) / hz)) <
            std::fabs(std::log(curve.frequencyAt(best) / hz)))
            best = i;
    return best;
}

void writeMono(CSpectrumFeed& feed, const std::vector<float>& left, const std::vector<float>& right, int n) {
    feed.write(n, [&](int i) { return (left[size_t(i)] + right[size_t(i)]) * 0.5f; });
}

} // namespace

// The squared Butterworth of order N by the bilinear transform: |H|² = 1 / (1 + r^(2N))² per pair of
// runs, r = tan(π f / fs) / tan(π fc / fs) (inverted for the high-pass).
TEST(FilterCurve, MatchesTheSquaredButterworthAtEverySlope) {
    CFilterCurve curve(496);
    ASSERT_EQ(curve.points(), 248);
    std::vector<double> dB;
    for (bool highPass : {false, true})
        for (int slope = 1; slope <= 4; ++slope) {
            curve.compute({1000.0, slope, 0.0, 1.0, highPass}, dB);
            const int order = 1 << (slope - 1);
            for (int i : {pointNear(curve, 300.0), pointNear(curve, 1000.0), pointNear(curve, 3000.0)}) {
                const double f = curve.frequencyAt(i);
                double r = std::tan(M_PI * f / 44100.0) / std::tan(M_PI * 1000.0 / 44100.0);
                if (highPass) r = 1.0 / r;
                const double expected = std::max(-20.0 * std::log10(1.0 + std::pow(r, 2.0 * order)), -200.0);
                EXPECT_NEAR(dB[size_t(i)], expected, 0.01) << "slope " << slope << " at " << f << " Hz";
            }
        }
}

TEST(FilterCurve, ResonancePeakFadesBelowOneHundredHertzAndTheFloorHolds) {
    const double full = CFilterCurve::resonancePeakDb(1000.0, 1.0, 1.0, 1000.0);
    EXPECT_NEAR(full, 24.0, 0.01);
    EXPECT_NEAR(CFilterCurve::resonancePeakDb(50.0, 1.0, 1.0, 50.0), full * 45.0 / 100.0, 0.01);
    EXPECT_NEAR(CFilterCurve::resonancePeakDb(1000.0, 0.0, 1.0, 1000.0), 0.0, 1e-9);
    CFilterCurve curve(496);
    std::vector<double> dB;
    curve.compute({40.0, 4, 0.0, 1.0, false}, dB);
    EXPECT_DOUBLE_EQ(dB.back(), CFilterCurve::kFloorDb);
}

TEST(FrequencyGrid, MajorLinesMinorStepsLabelsAndPositions) {
    const auto lines = frequencyGridLines(22050.0);
    ASSERT_EQ(lines.size(), 10u + 9u * 5u);
    EXPECT_TRUE(lines[0].major);
    EXPECT_DOUBLE_EQ(lines[0].hz, 25.0);
    // Between 50 and 125 Hz the minor lines step by 12.5 Hz.
    EXPECT_DOUBLE_EQ(lines[7].hz, 62.5);
    EXPECT_FALSE(lines[7].major);
    EXPECT_EQ(frequencyLabel(16000.0), "16 kHz");
    EXPECT_EQ(frequencyLabel(500.0), "500 Hz");
    EXPECT_EQ(CFilterCurve::xOfFrequency(22.0, 27.0, 480.0), 27.0);
    EXPECT_EQ(CFilterCurve::xOfFrequency(22050.0, 27.0, 480.0), 507.0);
}

TEST(Spectrum, SinePeaksAtItsFrequencySilenceLiesOnTheFloor) {
    CSpectrumAnalyser analyser;
    std::vector<float> frame(CSpectrumAnalyser::kSize);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = 0.5f * float(std::sin(2.0 * M_PI * 1000.0 * double(i) / 44100.0));
    analyser.analyse(frame.data());
    analyser.smooth();
    const double atTone = analyser.shownLevelAt(1000.0);
    EXPECT_GT(atTone, analyser.shownLevelAt(500.0) + 40.0);
    EXPECT_GT(atTone, analyser.shownLevelAt(2000.0) + 40.0);

    // Silence: the bins fall a tenth of the way per draw toward the floor and stay above it.
    std::fill(frame.begin(), frame.end(), 0.0f);
    analyser.analyse(frame.data());
    analyser.smooth();
    EXPECT_NEAR(analyser.shownLevelAt(1000.0), atTone + (-90.0 - atTone) * 0.1, 1e-6);
    for (int draw = 0; draw < 400; ++draw) analyser.smooth();
    EXPECT_NEAR(analyser.shownLevelAt(1000.0), -90.0, 1e-3);
    EXPECT_DOUBLE_EQ(analyser.shownLevelAt(30000.0), -90.0);
}

TEST(Spectrum, PeaksHoldTenDrawsThenFollowTheCurve) {
    CSpectrumAnalyser analyser;
    analyser.setPeaksShown(true);
    std::vector<float> frame(CSpectrumAnalyser::kSize);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = float(std::sin(2.0 * M_PI * 2000.0 * double(i) / 44100.0));
    analyser.analyse(frame.data());
    analyser.smooth();
    const double peak = analyser.peakLevelAt(2000.0);
    std::fill(frame.begin(), frame.end(), 0.0f);
    analyser.analyse(frame.data());
    for (int draw = 0; draw < 10; ++draw) analyser.smooth();
    EXPECT_DOUBLE_EQ(analyser.peakLevelAt(2000.0), peak);
    analyser.smooth();
    EXPECT_LT(analyser.peakLevelAt(2000.0), peak);
}

// The feed hands over the latest frame, and refuses a copy the writer overtook.
TEST(Spectrum, FeedGivesTheLatestFrameAndAnalysesHalfAFrameLater) {
    auto feed = std::make_unique<CSpectrumFeed>();
    std::vector<float> left(3000), right(3000);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = float(i);
        right[i] = -float(i) + 2.0f;
    }
    writeMono(*feed, left, right, 3000);
    std::vector<float> frame(2048);
    uint64_t end = 0;
    ASSERT_TRUE(feed->readLatest(frame.data(), 2048, end));
    EXPECT_EQ(end, 3000u);
    EXPECT_FLOAT_EQ(frame.front(), 1.0f);
    EXPECT_FALSE(feed->readLatest(frame.data(), CSpectrumFeed::kCapacity, end));

    CSpectrumAnalyser analyser;
    EXPECT_TRUE(analyser.update(*feed));
    writeMono(*feed, left, right, CSpectrumAnalyser::kHop - 1);
    EXPECT_FALSE(analyser.update(*feed));
    writeMono(*feed, left, right, 1);
    EXPECT_TRUE(analyser.update(*feed));
}

// Up at once, 1 % of the distance down per update; the peak holds 1000 ms, then falls 2 dB per 60 ms.
TEST(LevelMeter, RiseHoldAndFallWithAnInjectedClock) {
    CLevelMeterChannel meter;
    meter.update(1.0, 0.0);
    EXPECT_NEAR(meter.levelDb(), 0.0, 1e-9);
    meter.update(0.0, 25.0);
    EXPECT_NEAR(meter.levelDb(), 20.0 * std::log10(0.99), 1e-6);
    meter.update(0.0, 1000.0);
    EXPECT_NEAR(meter.peakDb(), 0.0, 1e-9);
    meter.update(0.0, 1025.0); // the hold ends: falling starts from here
    EXPECT_NEAR(meter.peakDb(), 0.0, 1e-9);
    meter.update(0.0, 1085.0);
    EXPECT_NEAR(meter.peakDb(), -2.0, 1e-9);
    for (double t = 1100.0; t < 10000.0; t += 25.0) meter.update(0.0, t);
    EXPECT_GE(meter.peakDb(), -100.0);
    EXPECT_NEAR(CLevelMeterChannel::litFraction(0.0), 48.0 / 55.0, 1e-12);
    EXPECT_EQ(CLevelMeterChannel::litFraction(-60.0), 0.0);
}

// One cycle across the columns, starting where the shift puts it; the square previews as a square.
TEST(LfoPreview, OneCycleOfTheEffectsOscillatorPerWidth) {
    const auto sine = lfoPreviewCycle(100, 0, 0.0);
    ASSERT_EQ(sine.size(), 100u);
    const auto shifted = lfoPreviewCycle(100, 0, 0.25);
    for (size_t i = 0; i < 75; ++i) EXPECT_NEAR(shifted[i], sine[i + 25], 1e-6) << i;
    for (double value : lfoPreviewCycle(100, 5, 0.0)) EXPECT_DOUBLE_EQ(std::fabs(value), 1.0);
}
