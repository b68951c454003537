#include "dsp/modulation/LfoController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using DSP::CLFOController;

namespace {

constexpr float kQuarterNote = 5.0f / 23.0f; // normalised "LFO Rate" of division 6, "1/4"
constexpr int kSawShape = 2;

// A saw shifted by half a cycle restarts at exactly 0, a value its running phase does not hit exactly;
// with one-sample blocks the samples that read 0 are the restarts. Returns their song positions.
std::vector<long long> restartsOver(CLFOController& lfo, long long from, long long to, double tempo,
                                    bool playing = true) {
    std::vector<long long> restarts;
    for (long long pos = from; pos < to; ++pos) {
        if (lfo.advance(1, tempo, playing, static_cast<double>(pos)) == 0.0f) restarts.push_back(pos);
    }
    return restarts;
}

void makeSyncedSaw(CLFOController& lfo) {
    lfo.setShape(kSawShape);
    lfo.setRate(0.15f, kQuarterNote);
    lfo.setShift(0.5f);
    lfo.setSync(true);
    lfo.advance(1, 120.0, false, 0.0); // the first sample after set-up is the oscillator's own start
}

} // namespace

TEST(LfoController, FreeRunningBlockValueIsTheAverageOfTheBlock) {
    CLFOController lfo;
    lfo.setRate(441.0f, 0.5f); // sync off: Hz, 100 samples per cycle
    const float value = lfo.advance(25, 120.0, true, 0.0);
    double sum = 0.0;
    for (int k = 0; k < 25; ++k) sum += std::sin(2.0 * std::numbers::pi * k / 100.0);
    EXPECT_NEAR(value, sum / 25.0, 1e-6);
    EXPECT_FLOAT_EQ(lfo.blockValue(), value);
    EXPECT_FALSE(lfo.isSyncActive());
    EXPECT_EQ(lfo.advance(0, 120.0, true, 0.0), 0.0f) << "an empty block reads 0";
}

TEST(LfoController, SyncedRestartsFallOnTheSongGrid) {
    CLFOController lfo;
    makeSyncedSaw(lfo);
    const std::vector<long long> restarts = restartsOver(lfo, 1000, 70000, 120.0);
    EXPECT_EQ(restarts, (std::vector<long long>{22050, 44100, 66150}));
    EXPECT_NEAR(lfo.oscillator().getRate(), 2.0, 1e-12);
}

TEST(LfoController, TransportStartAlignsAndStopRunsFree) {
    CLFOController lfo;
    makeSyncedSaw(lfo);
    EXPECT_TRUE(restartsOver(lfo, 0, 30000, 120.0, false).empty()) << "stopped: no restarts";
    EXPECT_FALSE(lfo.isSyncActive());
    EXPECT_NEAR(lfo.oscillator().getRate(), 2.0, 1e-12) << "the rate stays tempo-based";

    EXPECT_EQ(restartsOver(lfo, 30000, 50000, 120.0), (std::vector<long long>{44100}));
    EXPECT_TRUE(lfo.isSyncActive());
}

TEST(LfoController, JumpBeyondOneGridRealigns) {
    CLFOController lfo;
    makeSyncedSaw(lfo);
    EXPECT_EQ(restartsOver(lfo, 10000, 12000, 120.0), std::vector<long long>{});
    // The host jumps to 100000; the pending restart (due at 22050 in song time) is dropped.
    EXPECT_EQ(restartsOver(lfo, 100000, 111000, 120.0), (std::vector<long long>{110250}));
}

TEST(LfoController, RealignRequestRecomputesTheGrid) {
    CLFOController lfo;
    makeSyncedSaw(lfo);
    restartsOver(lfo, 0, 100, 120.0);
    lfo.setRate(0.15f, 4.0f / 23.0f); // "1/2": 44100-sample grid
    EXPECT_EQ(restartsOver(lfo, 100, 90000, 120.0), (std::vector<long long>{44100, 88200}));
}

TEST(LfoController, BpmOverrideReplacesTheHostTempo) {
    CLFOController lfo;
    makeSyncedSaw(lfo);
    lfo.setBpmOverride(60);
    EXPECT_EQ(restartsOver(lfo, 0, 50000, 120.0), (std::vector<long long>{0, 44100}));
    EXPECT_NEAR(lfo.oscillator().getRate(), 1.0, 1e-12);

    lfo.setBpmOverride(29); // "Host"
    lfo.advance(1, 120.0, true, 50000.0);
    EXPECT_NEAR(lfo.oscillator().getRate(), 2.0, 1e-12);
}

TEST(LfoController, HostTempoZeroRunsFreeWithoutRestarts) {
    CLFOController lfo;
    makeSyncedSaw(lfo);
    for (long long pos = 1; pos < 50000; pos += 88) {
        EXPECT_TRUE(std::isfinite(lfo.advance(88, 0.0, true, static_cast<double>(pos))));
        ASSERT_EQ(lfo.samplesToRestart(), -1) << "no restart scheduled at " << pos;
    }
    EXPECT_TRUE(std::isfinite(lfo.advance(88, std::nan(""), true, std::nan(""))));

    lfo.setBpmOverride(120); // the override still gives a grid
    EXPECT_EQ(restartsOver(lfo, 50000, 70000, 0.0), (std::vector<long long>{66150}));
}

TEST(LfoController, ShapeChangeTakesEffectAtTheNextBlock) {
    CLFOController lfo;
    lfo.setRate(441.0f, 0.5f);
    lfo.setShape(5); // square
    EXPECT_EQ(lfo.advance(1, 120.0, false, 0.0), 1.0f);
    EXPECT_EQ(lfo.oscillator().getShape(), DSP::Generators::CLFOOscillator::kSquare);
    lfo.setShift(0.5f);
    EXPECT_EQ(lfo.advance(1, 120.0, false, 0.0), -1.0f);
}

// A preset load sends every value again: an unchanged shape restarts the oscillator, and an unchanged
// shift puts a phase shape back at its shifted start.
TEST(LfoController, ResentShapeAndShiftStartOver) {
    CLFOController lfo;
    lfo.setRate(441.0f, 0.5f); // 100 samples per cycle: the saw falls by 0.02 per sample
    lfo.setShape(kSawShape);
    lfo.setShift(0.25f);
    EXPECT_FLOAT_EQ(lfo.advance(1, 120.0, false, 0.0), 0.5f);
    lfo.advance(30, 120.0, false, 0.0);
    lfo.setShape(kSawShape);
    EXPECT_FLOAT_EQ(lfo.advance(1, 120.0, false, 0.0), 0.5f);
    lfo.advance(30, 120.0, false, 0.0);
    lfo.setShift(0.25f);
    EXPECT_NEAR(lfo.advance(1, 120.0, false, 0.0), 0.48f, 1e-6f);
}
