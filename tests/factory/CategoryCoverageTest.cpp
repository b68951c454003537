// Each category, taken together, covers the range of its feature.
#include "factory/FactoryPresets.h"
#include "factory/FeatureChecks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace factory {
namespace {

size_t countOf(const std::string& category, bool (*test)(const FactoryPreset&)) {
    size_t n = 0;
    for (const FactoryPreset* p : presetsOf(category)) n += test(*p);
    return n;
}

TEST(FactoryCoverage, EnvelopePresetsSpanAttackReleaseMeasurePointBoostAndBothDirections) {
    std::set<int> attacks, releases;
    size_t measured = 0, boosted = 0, rising = 0, falling = 0, both = 0;
    for (const FactoryPreset* p : presetsOf("Envelope")) {
        const double lp = p->value(kLpEnvStrength), hp = p->value(kHpEnvStrength);
        rising += lp > 0.0 || hp > 0.0;
        falling += lp < 0.0 || hp < 0.0;
        both += lp != 0.0 && hp != 0.0;
        measured += p->value(kMeasurePoint) > 100.5;
        boosted += std::fabs(p->value(kEnvBoost) - 1.0) > 0.5;
        attacks.insert(
            int(std::log10(p->value(lp != 0.0 ? kLpEnvAttack : kHpEnvAttack)))); // 1, 10, 100 ms...
        releases.insert(int(std::log10(p->value(lp != 0.0 ? kLpEnvRelease : kHpEnvRelease))));
    }
    EXPECT_GE(attacks.size(), 3u);
    EXPECT_GE(releases.size(), 2u);
    EXPECT_GE(measured, 3u);
    EXPECT_GE(boosted, 3u);
    EXPECT_GE(rising, 3u);
    EXPECT_GE(falling, 3u);
    EXPECT_GE(both, 3u);
}

TEST(FactoryCoverage, FilterPresetsUseEverySlopeBothModesResonanceAndWidth) {
    std::set<int> slopes;
    for (const FactoryPreset* p : presetsOf("Filter")) {
        if (p->value(kLowPassFreq) < 22000.0) slopes.insert(int(std::lround(p->value(kLowPassSlope))));
        if (p->value(kHighPassFreq) > 1.0) slopes.insert(int(std::lround(p->value(kHighPassSlope))));
    }
    EXPECT_EQ(slopes, (std::set<int>{1, 2, 3, 4}));
    const size_t parallel = countOf("Filter", [](const FactoryPreset& p) { return p.on(kFilterMode); });
    EXPECT_GE(parallel, 2u);
    EXPECT_GE(presetsOf("Filter").size() - parallel, 2u);
    EXPECT_GE(countOf("Filter",
                      [](const FactoryPreset& p) { return p.value(kLowPassQ) + p.value(kHighPassQ) > 0.5; }),
              3u);
    EXPECT_GE(countOf("Filter",
                      [](const FactoryPreset& p) {
                          return std::fabs(p.value(kLowPassQWidth) - 1.0) > 0.05 ||
                                 std::fabs(p.value(kHighPassQWidth) - 1.0) > 0.05;
                      }),
              2u);
}

TEST(FactoryCoverage, LfoPresetsUseEveryShapeStraightTripletDottedAndFreeRatesShiftsAndTempo) {
    std::set<int> shapes;
    std::set<char> kinds; // 'S'traight, 'T'riplet, 'D'otted, 'F'ree
    std::set<std::string> divisions;
    size_t shifted = 0, ownTempo = 0;
    for (const FactoryPreset* p : presetsOf("LFO")) {
        shapes.insert(int(std::lround(p->value(kLfoShape))));
        if (!p->on(kLfoSync))
            kinds.insert('F');
        else {
            divisions.insert(p->rateText);
            const char last = p->rateText.back();
            kinds.insert(last == 'T' || last == 'D' ? last : 'S');
        }
        shifted += p->value(kLfoShift) > 0.0;
        ownTempo += p->value(kLfoBpm) >= 30.0;
        EXPECT_GT(lfoPeriodSeconds(*p), 0.0) << p->name;
    }
    EXPECT_EQ(shapes, (std::set<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(kinds, (std::set<char>{'S', 'T', 'D', 'F'}));
    EXPECT_GE(divisions.size(), 8u);
    EXPECT_GE(shifted, 2u);
    EXPECT_GE(ownTempo, 2u);
}

TEST(FactoryCoverage, RingmodAndNewPresetsUseTheirLinks) {
    const size_t linked =
        countOf("Ringmod", [](const FactoryPreset& p) { return p.value(kRingModLinkAmount) != 0.0; });
    EXPECT_GE(linked, 3u);
    EXPECT_GE(presetsOf("Ringmod").size() - linked, 3u) << "and some run without the cut-off link";
    EXPECT_GE(countOf("New 1.2 Presets", [](const FactoryPreset& p) { return p.on(kRateLpLink); }), 2u);
    EXPECT_GE(countOf("New 1.2 Presets",
                      [](const FactoryPreset& p) {
                          return p.value(kFreqModLinkFreqAmount) != 0.0 ||
                                 p.value(kFreqModLinkMixAmount) != 0.0;
                      }),
              2u);
}

} // namespace
} // namespace factory
