// The effect as a whole: latency on every path, dry/wet, bypass, gain and filter settings reaching the audio.
#include "utilities/EffectHarness.h"

#include <gtest/gtest.h>

namespace {

constexpr size_t kLatency = 221;

// The limiter's 5 ms look-ahead, whether the limiter is on or not.
size_t latencyAt(float rate) {
    return size_t(0.005 * rate + 1.0);
}

// At 44.1 and 48 kHz the open low-pass sits at the top of the band, so an impulse stays one sample wide and
// shows the delay of the processed path; at higher rates the 22 kHz low-pass spreads it.
TEST(Latency, ProcessedPathIsDelayedByFiveMillisecondsWithAndWithoutLimiter) {
    for (float rate : {44100.0f, 48000.0f}) {
        for (int32_t block : {0, 13, 221, 300}) {
            for (bool limiter : {false, true}) {
                EffectHarness h(rate);
                h.set("LimiterBypass", limiter ? 1.0f : 0.0f);
                Stereo out = h.run(impulse(2048), block);
                const size_t latency = latencyAt(rate);
                EXPECT_EQ(size_t(h.effect->getLatency()), latency);
                EXPECT_EQ(loudestSample(out.left), latency)
                    << rate << " Hz, block " << block << ", limiter " << limiter;
                EXPECT_GT(out.left[latency], 0.5f);
            }
        }
    }
}

TEST(Latency, DryPathIsExactlyDelayedByTheReportedLatencyAtEveryRate) {
    for (float rate : {8000.0f, 22050.0f, 96000.0f, 192000.0f}) {
        EffectHarness h(rate);
        h.set("kDryWetMix", 0.0f);
        h.effect->reset();
        const size_t latency = latencyAt(rate);
        EXPECT_EQ(size_t(h.effect->getLatency()), latency);
        Stereo in = sine(4096, 440.0, rate);
        Stereo out = h.run(in, 300);
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_NEAR(out.right[i], i < latency ? 0.0f : in.right[i - latency], 1e-6f)
                << rate << " Hz, " << i;
    }
}

TEST(DryWet, FullyDryIsTheExactDelayedInputAndChangesGlide) {
    EffectHarness h;
    h.set("LOWPASSFREQ", 300.0f);
    h.set("kDryWetMix", 0.0f);
    h.effect->reset();
    Stereo in = sine(4096, 5000.0, 44100.0);
    Stereo out = h.run(in);
    for (size_t i = kLatency; i < in.size(); ++i) ASSERT_NEAR(out.left[i], in.left[i - kLatency], 1e-6f) << i;

    // Back to fully wet, where the 300 Hz low-pass removes the 5 kHz tone: the dry share glides out by
    // 0.5 % per sample, so the level falls steadily, window by window, instead of in one step.
    h.set("kDryWetMix", 1.0f);
    Stereo wet = h.run(sine(8192, 5000.0, 44100.0));
    double previous = rms(wet.left, 0, 128);
    EXPECT_GT(previous, 0.25);
    for (size_t window = 1; window < 8; ++window) {
        double level = rms(wet.left, window * 128, (window + 1) * 128);
        EXPECT_LT(level, previous * 0.6) << window;
        EXPECT_GT(level, previous * 0.4) << window;
        previous = level;
    }
    EXPECT_LT(rms(wet.left, 4096), 1e-3);
}

TEST(Bypass, FadesOverFifteenMillisecondsThenPassesTheDelayedInputAndRestartsClean) {
    EffectHarness h;
    h.set("LOWPASSFREQ", 200.0f);
    h.set("LOWPASSSLOPE", 4.0f);
    Stereo tone = sine(44100, 3000.0, 44100.0);
    h.run(tone);
    h.set("kBypass", 1.0f);
    Stereo fading = h.run(sine(1024, 3000.0, 44100.0));
    // 15 ms at 44.1 kHz is 661.5 samples.
    EXPECT_LT(std::fabs(fading.left[100]), 0.45f);
    // The output moves in a straight line from the filtered tone (nothing is left of it at 3 kHz) to the
    // input delayed by the latency (the tone ran on without a break), reaching it after those samples.
    for (size_t i = 0; i < fading.size(); ++i) {
        const double delayed =
            0.5 * std::sin(2.0 * std::numbers::pi * 3000.0 * (double(i) - double(kLatency)) / 44100.0);
        ASSERT_NEAR(fading.left[i], delayed * std::min(double(i) / 661.5, 1.0), 2e-3) << i;
    }
    // Bypassed, the input keeps the latency the host compensates.
    Stereo after = h.run(tone);
    for (size_t i = kLatency; i < 2000; ++i) ASSERT_EQ(after.left[i], tone.left[i - kLatency]) << i;

    h.set("kBypass", 0.0f);
    Stereo silence(2048);
    Stereo back = h.run(silence);
    // Every filter, delay and smoother was cleared: the way back starts from silence.
    for (size_t i = kLatency; i < back.size(); ++i) ASSERT_NEAR(back.left[i], 0.0f, 1e-6f) << i;
}

// Switching bypass on and off in the middle of a signal moves no sample further than the signal itself
// moves, and while bypassed the output is the input delayed by the latency, sample for sample.
TEST(Bypass, BothFadesAreSeamlessOverSineAndNoise) {
    const Stereo white = noise(44100);
    for (const Stereo& input : {sine(44100, 1000.0, 44100.0), white}) {
        EffectHarness h;
        auto stepOf = [](const std::vector<float>& x, size_t from, size_t to) {
            float step = 0.0f;
            for (size_t i = from + 1; i < to; ++i) step = std::max(step, std::fabs(x[i] - x[i - 1]));
            return step;
        };
        Stereo out(input.size());
        auto runPart = [&](size_t from, size_t to) {
            Stereo part(to - from);
            std::copy(input.left.begin() + long(from), input.left.begin() + long(to), part.left.begin());
            std::copy(input.right.begin() + long(from), input.right.begin() + long(to), part.right.begin());
            Stereo result = h.run(part);
            std::copy(result.left.begin(), result.left.end(), out.left.begin() + long(from));
        };
        runPart(0, 10000);
        h.set("kBypass", 1.0f);
        runPart(10000, 20000);
        h.set("kBypass", 0.0f);
        runPart(20000, 30000);
        // Noise steps as far as it likes; the sine shows any discontinuity.
        if (input.left[1] != white.left[1]) {
            const float ownStep = stepOf(input.left, 0, input.size());
            EXPECT_LE(stepOf(out.left, 9000, 11000), ownStep * 1.01f);
            EXPECT_LE(stepOf(out.left, 19000, 21500), ownStep * 1.01f);
        }
        for (size_t i = 11000; i < 20000; ++i) ASSERT_EQ(out.left[i], input.left[i - kLatency]) << i;
    }
}

TEST(Gain, InputAndOutputGainsScaleTheSignal) {
    EffectHarness h;
    h.set("INPUTGAIN", 0.5f);
    h.set("OUTPUTGAIN", 0.5f);
    h.effect->reset();
    // The gains glide to their new values first; the meters then show the settled level.
    Stereo out = h.run(sine(16384, 1000.0, 44100.0, 0.4f));
    EXPECT_NEAR(decibels(rms(out.left, 8192) / (0.4 / std::sqrt(2.0))), -12.04, 0.1);
    h.effect->takeOutputPeaks();
    h.run(sine(4096, 1000.0, 44100.0, 0.4f));
    EXPECT_EQ(h.effect->takeOutputPeaks().maxLeft, 0.0f) << "metered without a display showing it";
    h.effect->setAnalysisRequested(true);
    h.run(sine(4096, 1000.0, 44100.0, 0.4f));
    CGainStage::Peaks peaks = h.effect->takeOutputPeaks();
    EXPECT_NEAR(peaks.maxLeft, 0.1f, 0.01f);
    EXPECT_NEAR(peaks.minRight, -0.1f, 0.01f);
    EXPECT_EQ(h.effect->takeOutputPeaks().maxLeft, 0.0f);
}

// A squared Butterworth low-pass of order N through the bilinear transform:
// |H(f)| = 1 / (1 + r^(2N)) with r = tan(pi f / fs) / tan(pi fc / fs).
TEST(Filter, LowPassSettingShapesTheSpectrumAtEachSlope) {
    for (int slope = 1; slope <= 4; ++slope) {
        const int order = 1 << (slope - 1);
        EffectHarness h;
        h.set("LOWPASSSLOPE", float(slope));
        h.set("LOWPASSFREQ", 1000.0f);
        h.effect->reset();
        for (double ratio : {0.5, 2.0}) {
            Stereo out = h.run(sine(44100, 1000.0 * ratio, 44100.0));
            double r = std::tan(std::numbers::pi * 1000.0 * ratio / 44100.0) /
                       std::tan(std::numbers::pi * 1000.0 / 44100.0);
            double expected = -20.0 * std::log10(1.0 + std::pow(r, 2 * order));
            EXPECT_NEAR(decibels(rms(out.left, 22050) / (0.5 / std::sqrt(2.0))), expected, 0.1)
                << "slope " << slope << " at " << ratio << " x cut-off";
        }
    }
}

TEST(Limiter, HoldsPeaksAtTheCeilingTimesItsOutputGain) {
    EffectHarness h;
    h.set("LimiterBypass", 1.0f);
    h.set("LimiterOutGain", -1.0f);
    h.set("INPUTGAIN", 2.0f);
    Stereo out = h.run(sine(44100, 200.0, 44100.0, 0.9f));
    float peak = 0.0f;
    for (size_t i = 4410; i < out.size(); ++i) peak = std::max(peak, std::fabs(out.left[i]));
    EXPECT_LE(peak, std::pow(10.0f, -0.05f) * 1.001f);
    EXPECT_GT(peak, 0.85f);
}

} // namespace

// Settings read as what the user sees: the pre-mix before the filters follows the placement of the
// effects alone, so the level does not step when the drive leaves 0; a filter mode shown as "Notch"
// runs the parallel routing whatever its exact plain value.
TEST(Settings, LevelAndRoutingFollowWhatTheDisplayShows) {
    auto levelOf = [](float drive) {
        EffectHarness h;
        h.set("INPUTGAIN", 2.0f);
        h.set("kDryWetMix", 0.5f);
        h.set("DISTLEVEL", drive);
        Stereo out = h.run(sine(16384, 200.0, 44100.0, 0.1f));
        return rms(out.left, 8192) / (0.1 / std::sqrt(2.0));
    };
    // Work at twice the input, blended half-way toward the input before and after the filters.
    EXPECT_NEAR(levelOf(0.0f), 1.25, 0.01);
    EXPECT_NEAR(levelOf(1e-6f), levelOf(0.0f), 1e-3);

    auto routedLevel = [](float mode) {
        EffectHarness h;
        h.set("LOWPASSFREQ", 100.0f);
        h.set("HIGHPASSFREQ", 3000.0f);
        h.set("FILTERMODE", mode);
        Stereo out = h.run(sine(16384, 1000.0, 44100.0));
        return decibels(rms(out.left, 8192) / (0.5 / std::sqrt(2.0)));
    };
    EXPECT_NEAR(routedLevel(0.7f), routedLevel(1.0f), 0.01);
    EXPECT_LT(routedLevel(0.3f), routedLevel(1.0f) - 20.0);
}
