// Silence in gives exact silence out, whatever the settings, from the start and once the tail of loud
// input has died away; and the drive after the filters adds no DC.
#include "utilities/EffectHarness.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

// One past the last sample that is not exactly zero.
size_t silentFrom(const Stereo& s) {
    size_t end = 0;
    for (size_t i = 0; i < s.size(); ++i)
        if (s.left[i] != 0.0f || s.right[i] != 0.0f) end = i + 1;
    return end;
}

} // namespace

TEST(Silence, SilentInputGivesExactZerosAtEverySetting) {
    const EffectHarness::Settings settings[] = {
        {},
        {{"LOWPASSSLOPE", 4.0f},
         {"HIGHPASSSLOPE", 4.0f},
         {"LOWPASSQ", 1.0f},
         {"HIGHPASSQ", 1.0f},
         {"LOWPASSFREQ", 2000.0f},
         {"HIGHPASSFREQ", 150.0f},
         {"LP StrengthLFO", 2.0f},
         {"LimiterBypass", 1.0f}},
        {{"FILTERMODE", 1.0f},
         {"DISTLEVEL", 1.0f},
         {"DISTPREPOST", 1.0f},
         {"RATEREDUCE_LEVEL", 0.4f},
         {"RingModeStrength", 0.6f},
         {"FreqModeStrength", 0.5f},
         {"kDryWetMix", 0.5f}},
    };
    for (size_t s = 0; s < std::size(settings); ++s) {
        EffectHarness h;
        h.set(settings[s]);
        h.effect->reset();
        EXPECT_EQ(silentFrom(h.run(Stereo(44100))), 0u) << "setting " << s;
        h.run(noise(22050));
        // The tails decay to exact zeros once they fall under the smallest normal float (1e-38, 760 dB
        // under full scale): the slowest, of the 20 Hz high-pass, after about 2 s.
        EXPECT_LT(silentFrom(h.run(Stereo(3 * 44100))), size_t(2.5 * 44100)) << "setting " << s;
    }
}

// Full drive after the filters on 100 Hz in sine phase and 200 Hz in cosine phase: no DC in them, but
// the curve's even-order products put -24 dBFS of it out without a blocker.
TEST(Silence, DriveAfterTheFiltersLeavesNoDc) {
    EffectHarness h;
    h.set("DISTLEVEL", 1.0f);
    h.set("DISTPREPOST", 1.0f);
    Stereo in = sine(88200, 100.0, 44100.0, 0.3f);
    for (size_t i = 0; i < in.size(); ++i)
        in.left[i] = in.right[i] =
            in.left[i] + 0.2f * float(std::cos(2.0 * std::numbers::pi * 200.0 * double(i) / 44100.0));
    const Stereo out = h.run(in);
    double sum = 0.0;
    for (size_t i = 44100; i < out.size(); ++i) sum += out.left[i];
    EXPECT_LT(20.0 * std::log10(std::fabs(sum / 44100.0)), -80.0);
}
