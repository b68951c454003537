#include "ResponseMeasurement.h"
#include "dsp/filter/StereoFilter.h"

#include <gtest/gtest.h>

namespace {

using kavren::test::impulseResponse;
using kavren::test::responseAt;
using kavren::test::squaredButterworth;

struct Case {
    int slope;
    double cutoff;
    double rate;
};

const Case cases[] = {{12, 1000, 44100}, {24, 1000, 44100}, {48, 1000, 44100}, {96, 1000, 44100},
                      {12, 3000, 48000}, {24, 3000, 48000}, {48, 3000, 48000}, {96, 3000, 48000},
                      {96, 200, 96000},  {48, 5000, 192000}};

enum class Kind { LowPass, ComplementHighPass, DesignedHighPass };

DSP::CStereoFilter makeFilter(Kind kind, const Case& c) {
    DSP::CStereoFilter filter;
    filter.setSampleRate(c.rate);
    filter.setHighPassMarker(kind != Kind::LowPass);
    filter.setDesignAsHighPass(kind == Kind::DesignedHighPass);
    filter.setOrderFromSlope(c.slope);
    filter.setCutoff(c.cutoff);
    return filter;
}

std::vector<float> measure(DSP::CStereoFilter& filter) {
    return impulseResponse([&](float* l, float* r, int n) { filter.process(l, r, l, r, n); }, 1 << 15);
}

// Every slope, low-pass and both high-pass forms: magnitude at ½, 1, 2 and 4 times the cut-off.
TEST(ButterworthResponse, MatchesSquaredButterworthAtOctaves) {
    for (const Case& c : cases) {
        for (Kind kind : {Kind::LowPass, Kind::ComplementHighPass, Kind::DesignedHighPass}) {
            auto filter = makeFilter(kind, c);
            ASSERT_EQ(filter.order(), c.slope / 12);
            const auto h = measure(filter);
            for (double ratio : {0.5, 1.0, 2.0, 4.0}) {
                const double f = c.cutoff * ratio;
                const double expected =
                    squaredButterworth(kind != Kind::LowPass, c.slope / 12, f, c.cutoff, c.rate);
                const double measured = std::abs(responseAt(h, f, c.rate));
                EXPECT_NEAR(measured, expected, 2e-6 + 2e-3 * expected)
                    << "slope " << c.slope << " fc " << c.cutoff << " fs " << c.rate << " kind "
                    << static_cast<int>(kind) << " at " << ratio << "×fc";
            }
            // −6.02 dB at the cut-off whatever the slope.
            EXPECT_NEAR(kavren::test::decibels(std::abs(responseAt(h, c.cutoff, c.rate))), -6.0206, 0.02);
        }
    }
}

// Mode 0: complement high-pass + squared low-pass = the all-pass of the low-pass design, as complex
// responses.
TEST(ButterworthResponse, LowPassSquaredPlusComplementIsAllPass) {
    for (int slope : {12, 24, 48, 96}) {
        const Case c{slope, 2000, 44100};
        auto lowPass = makeFilter(Kind::LowPass, c);
        auto highPass = makeFilter(Kind::ComplementHighPass, c);
        DSP::CStereoCascade allPass;
        allPass.load(highPass.allPass());
        const auto hl = measure(lowPass);
        const auto hh = measure(highPass);
        const auto ha =
            impulseResponse([&](float* l, float* r, int n) { allPass.processInPlace(l, r, n); }, 1 << 15);
        for (double f : {50.0, 700.0, 2000.0, 5000.0, 15000.0}) {
            const auto sum = responseAt(hl, f, c.rate) + responseAt(hh, f, c.rate);
            const auto ap = responseAt(ha, f, c.rate);
            EXPECT_NEAR(std::abs(ap), 1.0, 1e-4) << slope << " " << f;
            EXPECT_NEAR(std::abs(sum - ap), 0.0, 1e-4) << slope << " " << f;
        }
    }
}

TEST(ButterworthResponse, HighCutoffsAtLowSampleRatesStayStable) {
    const Case c{96, 22000, 8000};
    auto filter = makeFilter(Kind::DesignedHighPass, c);
    const auto h = measure(filter);
    for (float v : h) ASSERT_TRUE(std::isfinite(v));
    EXPECT_LT(std::abs(responseAt(h, 1000, c.rate)), 1e-3); // cut-off limited to just below Nyquist
}

TEST(StereoFilter, RecoversWithinOneBlockAfterNonFiniteInput) {
    for (Kind kind : {Kind::LowPass, Kind::ComplementHighPass}) {
        auto filter = makeFilter(kind, {96, 1000, 44100});
        auto fresh = makeFilter(kind, {96, 1000, 44100});
        std::vector<float> l(64, 0.25f), r(64, -0.25f);
        l[10] = std::numeric_limits<float>::quiet_NaN();
        r[20] = std::numeric_limits<float>::infinity();
        filter.process(l.data(), r.data(), l.data(), r.data(), 64);
        std::vector<float> a(64), b(64), c(64), d(64);
        for (int i = 0; i < 64; ++i) a[i] = b[i] = c[i] = d[i] = std::sin(0.1f * i);
        filter.process(a.data(), b.data(), a.data(), b.data(), 64);
        fresh.process(c.data(), d.data(), c.data(), d.data(), 64);
        for (int i = 0; i < 64; ++i) {
            ASSERT_EQ(a[i], c[i]) << i;
            ASSERT_EQ(b[i], d[i]) << i;
        }
    }
}

} // namespace
