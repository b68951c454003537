// What the central display shows, checked against the formulas: filter curves from the filter design,
// grid and labels, the spectrum of known signals, meter ballistics with an injected clock, and the
// lock-free feed between the audio and GUI threads.
#include "dsp/SampleRing.h"
#include "dsp/filter/ButterworthDesign.h"
#include "editor/display/FilterCurve.h"
#include "editor/display/FrequencyGrid.h"
#include "editor/display/LevelMeter.h"
#include "editor/display/LfoPreview.h"
#include "editor/display/SpectrumAnalyser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

using namespace Mirda;

namespace {

void writeMono(CSpectrumFeed& feed, const std::vector<float>& left, const std::vector<float>& right, int n) {
    feed.write(n, [&](int i) { return (left[size_t(i)] + right[size_t(i)]) * 0.5f; });
}

} // namespace

// What the effect's filters do, from the formulas: the squared Butterworth of order N by the bilinear
// transform, |H|² = 1 / (1 + r^(2N)) per run, r = tan(π f / fs) / tan(π fc / fs) (inverted for the
// high-pass), with fc the whole-hertz cut-off in 10 Hz .. 22 kHz; plus the resonance peak, a cookbook
// peaking section at min(fc, 18 kHz) of 24 dB × resonance (tapered below 100 Hz, eased above 15 kHz with
// its width) and the width in octaves.
double analyticDb(const FilterCurveSettings& s, double f, double fs) {
    const int order = 1 << (s.slopeSetting - 1);
    const double fc = std::clamp(std::floor(s.cutoffHz), 10.0, 22000.0);
    double r = std::tan(M_PI * f / fs) / std::tan(M_PI * fc / fs);
    if (s.highPass) r = 1.0 / r;
    const double filter = -20.0 * std::log10(1.0 + std::pow(r, 2.0 * order));
    const double target = std::clamp(s.cutoffHz, 40.0, 22050.0);
    const double taper = target < 100 ? (target - 5) / 100 : 1,
                 ease = target > 15000 ? (target - 15000) / 7050 : 0;
    const double a = std::pow(10.0, s.resonance * (24.0 - 5.0 * ease) * taper / 40.0);
    const double octaves = s.resonanceWidth * (1.0 - 0.6 * ease);
    const double w0 = 2 * M_PI * std::min(std::max(std::min(s.cutoffHz, 18000.0), 5.0), fs * 0.49) / fs;
    const double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2 * octaves * w0 / std::sin(w0));
    const std::complex<double> z = std::polar(1.0, -2 * M_PI * f / fs);
    const std::complex<double> peak = (1.0 + alpha * a - 2 * std::cos(w0) * z + (1.0 - alpha * a) * z * z) /
                                      (1.0 + alpha / a - 2 * std::cos(w0) * z + (1.0 - alpha / a) * z * z);
    return std::max(filter + 20.0 * std::log10(std::abs(peak)), -200.0);
}

// Every drawn point, for cut-offs across the range (Band Chaser's 600 Hz low-pass and the 22050 Hz its
// envelope opens to), with and without resonance, both filters, every slope, at two sample rates.
TEST(FilterCurve, DrawsTheResponseTheFiltersHave) {
    for (double fs : {44100.0, 96000.0}) {
        CFilterCurve curve(496, fs);
        ASSERT_EQ(curve.points(), 248);
        std::vector<double> dB;
        for (bool highPass : {false, true})
            for (int slope = 1; slope <= 4; ++slope)
                for (double cutoff : {50.0, 600.0, 4000.0, 16000.0, 22050.0})
                    for (double resonance : {0.0, 0.4, 1.0})
                        for (double width : {0.54, 1.5}) {
                            const FilterCurveSettings s{cutoff, slope, resonance, width, highPass};
                            curve.compute(s, dB);
                            for (int i = 0; i < curve.points(); ++i)
                                ASSERT_NEAR(dB[size_t(i)], analyticDb(s, curve.frequencyAt(i), fs), 0.05)
                                    << (highPass ? "high" : "low") << "-pass " << 12 * (1 << (slope - 1))
                                    << " dB at " << cutoff << " Hz, resonance " << resonance << " width "
                                    << width << ", at " << curve.frequencyAt(i) << " Hz, " << fs << " Hz";
                        }
    }
}

// In series routing the high-pass runs as the all-pass of a low-pass design less its squared output;
// its magnitude is the squared high-pass the display draws.
TEST(FilterCurve, SeriesHighPassComplementHasTheDrawnMagnitude) {
    const auto response = [](const DSP::FilterDesign& d, double omega) {
        std::complex<double> h = 1.0;
        const std::complex<double> z1 = std::polar(1.0, -omega);
        for (int k = 0; k < d.sections; ++k) {
            const DSP::BiquadCoefficients& c = d.section[k];
            h *= (c.b0 + c.b1 * z1 + c.b2 * z1 * z1) / (1.0 + c.a1 * z1 + c.a2 * z1 * z1);
        }
        return h;
    };
    CFilterCurve curve(496);
    std::vector<double> dB;
    for (int slope = 1; slope <= 4; ++slope) {
        const int order = 1 << (slope - 1);
        const DSP::FilterDesign low =
            DSP::designButterworth(DSP::FilterResponse::LowPass, order, 300.0, 44100.0);
        curve.compute({300.0, slope, 0.0, 1.0, true}, dB);
        for (int i = 0; i < curve.points(); i += 7) {
            const double omega = 2 * M_PI * curve.frequencyAt(i) / 44100.0;
            const std::complex<double> lp = response(low, omega);
            const double complement =
                20 * std::log10(std::abs(response(DSP::allPassOf(low), omega) - lp * lp));
            if (complement > -150) {
                EXPECT_NEAR(dB[size_t(i)], complement, 0.05) << slope << " " << i;
            }
        }
    }
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
