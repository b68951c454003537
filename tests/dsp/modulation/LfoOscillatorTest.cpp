#include "dsp/modulation/LfoOscillator.h"
#include "dsp/modulation/LfoSyncDivisions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <string>

using DSP::Generators::CLFOOscillator;

namespace {

constexpr double kPi = std::numbers::pi;
// 441 Hz at 44.1 kHz: 100 samples per cycle.
constexpr double kRate = 441.0;
constexpr double kOmega = 2.0 * kPi / 100.0;

CLFOOscillator oscillator(int shape, double shift = 0.0) {
    CLFOOscillator lfo;
    lfo.setRate(kRate);
    lfo.setShape(shape);
    lfo.setShift(shift);
    return lfo;
}

} // namespace

TEST(LfoOscillator, SineShapesFollowTheirFormulasFromTheShiftedStart) {
    for (double shift : {0.0, 0.25, 0.6}) {
        const double p = 2.0 * kPi * shift;
        CLFOOscillator sine = oscillator(CLFOOscillator::kSine, shift);
        CLFOOscillator dbl = oscillator(CLFOOscillator::kDoubleSine, shift);
        CLFOOscillator mod = oscillator(CLFOOscillator::kModSine, shift);
        for (int k = 0; k < 150; ++k) {
            const double s = std::sin(k * kOmega + p);
            EXPECT_NEAR(sine.tick(), s, 1e-9) << "shift " << shift << " sample " << k;
            EXPECT_NEAR(dbl.tick(), 0.5 * (s + std::sin(2.0 * k * kOmega + p)), 1e-9) << k;
            EXPECT_NEAR(mod.tick(), s >= 0.0 ? s : -0.5 * s, 1e-9) << k;
        }
    }
}

TEST(LfoOscillator, TriangleSawAndSquareFirstSamples) {
    CLFOOscillator tri = oscillator(CLFOOscillator::kTriangle);
    CLFOOscillator saw = oscillator(CLFOOscillator::kSaw);
    CLFOOscillator square = oscillator(CLFOOscillator::kSquare);
    for (int k = 0; k < 100; ++k) {
        const double phase = k / 100.0;
        const double expectedTri = phase < 0.25 ? 4 * phase : phase < 0.75 ? 2 - 4 * phase : 4 * phase - 4;
        EXPECT_NEAR(tri.tick(), expectedTri, 1e-9) << k;
        EXPECT_NEAR(saw.tick(), 1.0 - 2.0 * phase, 1e-9) << k;
        // Square flips after half a cycle; the float increment may put the edge one sample late.
        const double sq = square.tick();
        if (k != 50) {
            EXPECT_EQ(sq, k < 50 ? 1.0 : -1.0) << k;
        }
    }
    EXPECT_NEAR(saw.tick(), 1.0, 1e-9) << "saw wraps after one cycle";

    // Shifted starts: triangle at 3/8 cycle is falling through 0.5, saw at half cycle is at 0.
    CLFOOscillator shiftedTri = oscillator(CLFOOscillator::kTriangle, 0.375);
    EXPECT_NEAR(shiftedTri.tick(), 0.5, 1e-12);
    EXPECT_NEAR(shiftedTri.tick(), 0.46, 1e-12);
    CLFOOscillator shiftedTri2 = oscillator(CLFOOscillator::kTriangle, 0.8);
    EXPECT_NEAR(shiftedTri2.tick(), -0.8, 1e-12);
    EXPECT_NEAR(shiftedTri2.tick(), -0.76, 1e-12);
    CLFOOscillator shiftedSaw = oscillator(CLFOOscillator::kSaw, 0.5);
    EXPECT_NEAR(shiftedSaw.tick(), 0.0, 1e-12);
    EXPECT_NEAR(shiftedSaw.tick(), -0.02, 1e-12);
    CLFOOscillator shiftedSquare = oscillator(CLFOOscillator::kSquare, 0.5);
    EXPECT_EQ(shiftedSquare.tick(), -1.0);
}

TEST(LfoOscillator, ShiftWhileRunningRotatesTheSine) {
    CLFOOscillator sine = oscillator(CLFOOscillator::kSine);
    for (int k = 0; k < 30; ++k) sine.tick();
    sine.setShift(0.25);
    EXPECT_NEAR(sine.tick(), std::sin(30 * kOmega + kPi / 2), 1e-9);
    sine.setShift(0.0);
    EXPECT_NEAR(sine.tick(), std::sin(31 * kOmega), 1e-9);
    sine.restart();
    EXPECT_NEAR(sine.tick(), 0.0, 1e-12);
}

TEST(LfoOscillator, RandomShapesStayInRangeAndStepFourTimesPerCycle) {
    CLFOOscillator stepped = oscillator(CLFOOscillator::kSteppedRandom);
    CLFOOscillator smooth = oscillator(CLFOOscillator::kSmoothRandom);
    std::set<double> values;
    for (int k = 0; k < 100; ++k) {
        const double v = stepped.tick();
        const double w = smooth.tick();
        values.insert(v);
        EXPECT_GE(v, -1.0);
        EXPECT_LE(v, 1.0);
        EXPECT_GE(w, -1.0);
        EXPECT_LE(w, 1.0);
    }
    EXPECT_EQ(values.size(), 4u);
}

TEST(LfoOscillator, SyncedRatesOfAllDivisions) {
    const double expected[24] = {1.0 / 16, 1.0 / 12, 1.0 / 8,  1.0 / 4,  1.0 / 2, 1,       2,       4,
                                 1.5 / 16, 1.5 / 12, 1.5 / 8,  1.5 / 4,  1.5 / 2, 1.5,     3,       6,
                                 2.0 / 48, 2.0 / 36, 2.0 / 24, 2.0 / 12, 2.0 / 6, 2.0 / 3, 4.0 / 3, 8.0 / 3};
    for (double tempo : {120.0, 87.0}) {
        CLFOOscillator lfo;
        lfo.setTempo(tempo);
        for (int i = 1; i <= 24; ++i) {
            lfo.setSyncIndex(i);
            EXPECT_NEAR(lfo.getRate(), tempo / 60.0 * expected[i - 1], 1e-6) << i;
        }
    }
    CLFOOscillator lfo;
    lfo.setTempo(120.0);
    lfo.setSyncIndex(6);
    EXPECT_DOUBLE_EQ(lfo.getRate(), 2.0) << "1/4 at 120 BPM";
    lfo.setSyncIndex(0);
    lfo.setRate(3.5);
    EXPECT_DOUBLE_EQ(lfo.getRate(), 3.5);
    lfo.setSyncIndex(99);
    EXPECT_DOUBLE_EQ(lfo.getRate(), 2.0) << "unknown divisions run one cycle per beat";
}

// The restart grid is one cycle long (two for 2/1 and 2/1D), to within the truncations.
TEST(LfoSyncDivisions, GridLengthsMatchTheCycleLength) {
    for (double tempo : {120.0, 87.0, 200.0}) {
        for (int i = 1; i <= 24; ++i) {
            const double cycles = (i == 3 || i == 19) ? 2.0 : 1.0;
            const double cycleSamples = 44100.0 / (tempo / 60.0 * DSP::syncCyclesPerBeat(i));
            const long long grid = DSP::syncGridSamples(i, tempo, 44100.0);
            EXPECT_NEAR(static_cast<double>(grid), cycles * cycleSamples, 5.0)
                << DSP::syncDivision(i)->label << " at " << tempo;
        }
    }
    EXPECT_EQ(DSP::syncGridSamples(6, 120.0, 44100.0), 22050);
    EXPECT_EQ(DSP::syncGridSamples(1, 120.0, 44100.0), 352800);
    EXPECT_EQ(DSP::syncGridSamples(16, 120.0, 44100.0), 3674); // trunc(5512 * 2/3)
    EXPECT_EQ(DSP::syncGridSamples(6, 0.0, 44100.0), 0);
    EXPECT_EQ(DSP::syncGridSamples(6, std::nan(""), 44100.0), 0);
    EXPECT_EQ(DSP::syncGridSamples(0, 120.0, 44100.0), 0);
    EXPECT_EQ(std::string(DSP::syncDivision(24)->label), "1/16D");
}

TEST(LfoSyncDivisions, NormalisedRatePicksTheDivision) {
    EXPECT_EQ(DSP::syncIndexFromNormalised(0.0), 1);
    EXPECT_EQ(DSP::syncIndexFromNormalised(1.0), 24);
    EXPECT_EQ(DSP::syncIndexFromNormalised(5.0 / 23.0), 6);
    EXPECT_EQ(DSP::syncIndexFromNormalised(5.4 / 23.0), 6);
    EXPECT_EQ(DSP::syncIndexFromNormalised(5.6 / 23.0), 7);
}

// The block sum replaces per-sample ticks in the effect: over a long run with blocks of changing
// length, restarts and a slow and a fast rate, sums and the following samples agree with ticking.
TEST(LfoOscillator, TickSumMatchesTickingEverySample) {
    for (int shape = CLFOOscillator::kSine; shape <= CLFOOscillator::kSquare; ++shape) {
        for (double hz : {0.15, 9.7}) {
            CLFOOscillator ticked = oscillator(shape, 0.3), summed = oscillator(shape, 0.3);
            ticked.setRate(hz);
            summed.setRate(hz);
            const int lengths[] = {88, 72, 1, 0, 57, 88, 3};
            for (int block = 0; block < 20000; ++block) {
                const int n = lengths[block % 7];
                if (block % 5000 == 4999) {
                    ticked.restart();
                    summed.restart();
                }
                double expected = 0.0;
                for (int i = 0; i < n; ++i) expected += ticked.tick();
                ASSERT_NEAR(summed.tickSum(n), expected, 1e-9 * n)
                    << shape << " " << hz << " block " << block;
                if (n > 0) {
                    ASSERT_NEAR(summed.value(), ticked.value(), 1e-9) << shape << " block " << block;
                }
            }
            EXPECT_NEAR(summed.tick(), ticked.tick(), 1e-9) << shape;
        }
    }
}

// The block form of tick() for the vibrato's sweep: same values for every shape and block length.
TEST(LfoOscillator, TickIntoMatchesTicking) {
    for (int shape = CLFOOscillator::kSine; shape <= CLFOOscillator::kSquare; ++shape) {
        CLFOOscillator ticked = oscillator(shape, 0.6), blockwise = oscillator(shape, 0.6);
        double values[64];
        for (int block = 0; block < 5000; ++block) {
            const int n = 1 + (block * 29) % 64;
            if (block == 2500) {
                ticked.restart();
                blockwise.restart();
            }
            blockwise.tickInto(values, n);
            for (int i = 0; i < n; ++i) ASSERT_NEAR(values[i], ticked.tick(), 1e-9) << shape << " " << block;
        }
    }
}
