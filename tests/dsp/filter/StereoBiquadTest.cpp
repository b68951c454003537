#include "dsp/filter/StereoBiquad.h"
#include "ResponseMeasurement.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using DSP::CStereoBiquad;
using kavren::test::decibels;

constexpr double rate = 44100.0;

// Response read from the coefficients: H(z) = (b0 + b1 z⁻¹ + b2 z⁻²) / (1 + a1 z⁻¹ + a2 z⁻²).
double magnitude(const CStereoBiquad& q, double hz) {
    const auto z1 = std::polar(1.0, -2.0 * std::numbers::pi * hz / rate);
    const auto& c = q.coefficients();
    return std::abs((c.b0 + c.b1 * z1 + c.b2 * z1 * z1) / (1.0 + c.a1 * z1 + c.a2 * z1 * z1));
}

CStereoBiquad make(int type, float hz, float bandwidthOrQ, float gainDb, bool octaves) {
    CStereoBiquad q;
    q.setSampleRate(rate);
    q.setType(type);
    q.setBandwidthInOctaves(octaves);
    q.setPeak(hz, gainDb, bandwidthOrQ);
    return q;
}

TEST(StereoBiquad, ProcessingMatchesItsCoefficients) {
    auto q = make(CStereoBiquad::Peaking, 2000.0f, 1.0f, 12.0f, true);
    const auto h =
        kavren::test::impulseResponse([&](float* l, float* r, int n) { q.process(l, r, n); }, 8192);
    for (double f : {200.0, 2000.0, 9000.0})
        EXPECT_NEAR(std::abs(kavren::test::responseAt(h, f, rate)), magnitude(q, f), 1e-4);
}

// Peak gain at the centre and the bandwidth in octaves between the half-gain (in dB) points.
TEST(StereoBiquad, PeakGainAndBandwidth) {
    for (float gain : {6.0f, 24.0f}) {
        for (float width : {0.54f, 1.0f, 1.5f}) {
            const float centre = 1000.0f;
            const auto q = make(CStereoBiquad::Peaking, centre, width, gain, true);
            EXPECT_NEAR(decibels(magnitude(q, centre)), gain, 1e-3);
            auto edge = [&](double direction) {
                double lo = 0.0, hi = 3.0; // octaves from the centre
                for (int i = 0; i < 60; ++i) {
                    const double mid = 0.5 * (lo + hi);
                    (decibels(magnitude(q, centre * std::exp2(direction * mid))) > gain / 2 ? lo : hi) = mid;
                }
                return lo;
            };
            EXPECT_NEAR(edge(1.0) + edge(-1.0), width, 0.02 * width) << gain << " " << width;
        }
    }
}

TEST(StereoBiquad, EveryTypeHasItsShape) {
    const float f0 = 3000.0f, q = 2.0f, g = 9.0f;
    const double a2 = std::pow(10.0, g / 20.0);
    auto lp = make(CStereoBiquad::LowPass, f0, q, 0, false);
    EXPECT_NEAR(magnitude(lp, 1.0), 1.0, 1e-6);
    EXPECT_NEAR(magnitude(lp, f0), q, 1e-3);
    EXPECT_LT(magnitude(lp, 21000.0), 1e-2);
    auto hp = make(CStereoBiquad::HighPass, f0, q, 0, false);
    EXPECT_LT(magnitude(hp, 1.0), 1e-6);
    EXPECT_NEAR(magnitude(hp, f0), q, 1e-3);
    EXPECT_NEAR(magnitude(make(CStereoBiquad::BandPassSkirt, f0, q, 0, false), f0), q, 1e-6);
    EXPECT_NEAR(magnitude(make(CStereoBiquad::BandPass, f0, q, 0, false), f0), 1.0, 1e-6);
    auto notch = make(CStereoBiquad::Notch, f0, q, 0, false);
    EXPECT_LT(magnitude(notch, f0), 1e-6);
    EXPECT_NEAR(magnitude(notch, 100.0), 1.0, 1e-3);
    auto allPass = make(CStereoBiquad::AllPass, f0, q, 0, false);
    for (double f : {10.0, 3000.0, 15000.0}) EXPECT_NEAR(magnitude(allPass, f), 1.0, 1e-9);
    auto lowShelf = make(CStereoBiquad::LowShelf, f0, q, g, false);
    EXPECT_NEAR(magnitude(lowShelf, 1.0), a2, 1e-4);
    EXPECT_NEAR(magnitude(lowShelf, 20000.0), 1.0, 1e-2);
    auto highShelf = make(CStereoBiquad::HighShelf, f0, q, g, false);
    EXPECT_NEAR(magnitude(highShelf, 1.0), 1.0, 1e-4);
    EXPECT_NEAR(magnitude(highShelf, 22049.0), a2, 1e-2);
    auto silent = make(9, f0, q, g, false);
    float l = 1.0f, r = 1.0f;
    silent.process(l, r);
    EXPECT_NEAR(l, 0.0f, 1e-12f);
}

TEST(StereoBiquad, FrequencyIsClampedAndNyquistIsSafe) {
    CStereoBiquad q;
    q.setSampleRate(8000.0);
    q.setPeak(1000.0f, 12.0f, 1.0f);
    q.setFrequency(18000.0f);
    EXPECT_EQ(q.frequency(), 4000.0f);
    q.setFrequency(0.1f);
    EXPECT_EQ(q.frequency(), 1.0f);
    q.setFrequency(4000.0f);
    for (double v : {q.coefficients().b0, q.coefficients().a1, q.coefficients().a2})
        EXPECT_TRUE(std::isfinite(v));
}

TEST(StereoBiquad, RecoversAfterNonFiniteInput) {
    auto q = make(CStereoBiquad::Peaking, 1000.0f, 1.0f, 24.0f, true);
    std::vector<float> l(32, std::numeric_limits<float>::quiet_NaN()), r(32, 0.0f);
    q.process(l.data(), r.data(), 32);
    std::vector<float> a(32, 0.5f), b(32, 0.5f);
    q.process(a.data(), b.data(), 32);
    EXPECT_TRUE(std::isfinite(a[0]));
    EXPECT_NEAR(a[0], 0.5f * static_cast<float>(q.coefficients().b0), 1e-6f);
}

} // namespace

namespace {

// A 0 dB peak is skipped, and the history it leaves lets a later gain change continue without a jump.
TEST(StereoBiquad, FlatPeakPassesAndHandsOverSmoothly) {
    auto skipped = make(CStereoBiquad::Peaking, 1000.0f, 1.0f, 0.0f, true);
    auto reference = make(CStereoBiquad::Peaking, 1000.0f, 1.0f, 1e-6f, true);
    std::vector<float> a(100), b(100);
    for (int i = 0; i < 100; ++i) a[i] = b[i] = std::sin(0.3f * i);
    const auto input = a;
    skipped.process(a.data(), b.data(), 100);
    EXPECT_EQ(a, input);
    std::vector<float> c = input, d = input;
    reference.process(c.data(), d.data(), 100);
    skipped.setPeak(1000.0f, 12.0f, 1.0f);
    reference.setPeak(1000.0f, 12.0f, 1.0f);
    skipped.process(a.data(), b.data(), 100);
    reference.process(c.data(), d.data(), 100);
    for (int i = 0; i < 100; ++i) ASSERT_NEAR(a[i], c[i], 1e-4f) << i;
}

} // namespace
