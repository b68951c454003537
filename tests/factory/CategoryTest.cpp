// Every preset of a category rendered through the real plug-in: safe and audible on the reference
// signals, measurably different from the others in its category, and showing off the category's feature.
#include "factory/FactoryPresets.h"
#include "factory/FeatureChecks.h"
#include "factory/SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace factory {
namespace {

// What a listener compares between two renders of one signal: the tonal balance, the partials, the
// loudness and the way the level moves in time.
struct Fingerprint {
    std::vector<double> bandsDb;
    std::vector<double> binsDb;
    double rmsDb = 0.0;
    std::vector<double> levelShape; // frame levels relative to their mean, at most 50 dB below the peak
};

Fingerprint fingerprint(const Stereo& s) {
    Fingerprint f;
    f.bandsDb = longTermBandsDb(s);
    f.binsDb = longTermBinsDb(s);
    f.rmsDb = measureLevels(s).rmsDb;
    f.levelShape = analyseFrames(s).levelDb;
    const double loudest = *std::max_element(f.levelShape.begin(), f.levelShape.end());
    double mean = 0.0;
    for (double& l : f.levelShape) mean += (l = std::max(l, loudest - 50.0));
    mean /= double(f.levelShape.size());
    for (double& l : f.levelShape) l -= mean;
    return f;
}

// The largest of the differences in tonal balance, partials, loudness and level movement, in dB.
double difference(const Fingerprint& a, const Fingerprint& b) {
    return std::max({rmsDifference(a.bandsDb, b.bandsDb), rmsDifference(a.binsDb, b.binsDb),
                     std::fabs(a.rmsDb - b.rmsDb), rmsDifference(a.levelShape, b.levelShape)});
}

constexpr double kDistinctDb = 1.0;

class CategoryTest : public ::testing::TestWithParam<std::string> {};

TEST_P(CategoryTest, RendersSafelyAudiblyAndDistinctly) {
    const std::vector<const FactoryPreset*> presets = presetsOf(GetParam());
    ASSERT_FALSE(presets.empty());
    const std::vector<ReferenceSignal>& signals = referenceSignals();
    std::vector<Fingerprint> inputs;
    for (const ReferenceSignal& s : signals) inputs.push_back(fingerprint(s.audio));
    std::vector<std::vector<Fingerprint>> prints(presets.size());
    for (size_t p = 0; p < presets.size(); ++p) {
        double largestChange = 0.0;
        for (size_t s = 0; s < signals.size(); ++s) {
            SCOPED_TRACE(presets[p]->name + " over the " + signals[s].name);
            const Stereo out = render(*presets[p], signals[s].audio);
            const Levels in = measureLevels(signals[s].audio), level = measureLevels(out);
            EXPECT_TRUE(level.finite);
            EXPECT_LE(level.peak, 1.0);
            EXPECT_GE(level.rmsDb - in.rmsDb, -18.0);
            EXPECT_LE(level.rmsDb - in.rmsDb, 6.0);
            prints[p].push_back(fingerprint(out));
            largestChange = std::max(largestChange, difference(prints[p][s], inputs[s]));
        }
        EXPECT_GT(largestChange, kDistinctDb) << presets[p]->name << " leaves every signal as it was";
    }
    for (size_t a = 0; a < presets.size(); ++a) {
        for (size_t b = a + 1; b < presets.size(); ++b) {
            double d = 0.0;
            for (size_t s = 0; s < signals.size(); ++s)
                d = std::max(d, difference(prints[a][s], prints[b][s]));
            EXPECT_GT(d, kDistinctDb) << presets[a]->name << " sounds like " << presets[b]->name;
        }
    }
}

TEST_P(CategoryTest, EveryPresetShowsOffTheCategoryFeature) {
    for (const FactoryPreset* p : presetsOf(GetParam())) {
        SCOPED_TRACE(p->name);
        expectCategoryFeature(*p);
    }
}

INSTANTIATE_TEST_SUITE_P(Factory, CategoryTest,
                         ::testing::Values("Envelope", "Filter", "LFO", "Multi FX", "New 1.2 Presets",
                                           "Phaser", "Ringmod"),
                         [](const auto& info) {
                             std::string name;
                             for (char c : info.param)
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             return name;
                         });

} // namespace
} // namespace factory
