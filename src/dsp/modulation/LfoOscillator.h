#pragma once

#include "dsp/lib/PhasorSeries.h"

#include <cstdint>

namespace DSP::Generators {

// Low-frequency oscillator with free or tempo-synced rate and a phase shift.
//
// Shapes: 0 sine, 1 triangle, 2 saw (falling, 1 - 2 phase), 3 double sine (ω and 2ω averaged),
// 4 modulated sine (negative half folded up at half height, 0..1), 5 stepped random, 6 interpolated
// random (both four random values per cycle), 7 square. Outputs lie in [-1, 1].
//
// restart() prepares the start state (phase 0, then the shift); the next tick() returns that state
// without advancing, so the sample on which a restart happens carries the shifted phase exactly.
// setRate, setSyncIndex and setTempo redo the rate setup only; setShift redoes the shift only;
// setShape and setSampleRate redo rate setup, restart and shift. All calls are real-time safe.
class CLFOOscillator {
public:
    enum Shape {
        kSine = 0,
        kTriangle = 1,
        kSaw = 2,
        kDoubleSine = 3,
        kModSine = 4,
        kSteppedRandom = 5,
        kSmoothRandom = 6,
        kSquare = 7,
    };

    // Oscillator shape of an "LFO Shape" value 0..5: 0..4 as they are, 5 the square (7).
    static int shapeFromParameter(int value);

    CLFOOscillator();

    void setSampleRate(double rate);
    void setRate(double hz);      // free rate, used while the sync index is 0
    void setSyncIndex(int index); // 0 = free, 1..24 = tempo divisions
    void setTempo(double bpm);
    void setShape(int shape);     // 0..7; other values select the sine
    void setShift(double cycles); // 0..1 of a cycle
    void restart();

    double tick();
    // The sum of the next count tick() values, computed without visiting every sample where the shape
    // allows (sine, double sine: the phasor moves by a geometric series). Equal to count calls of
    // tick() to within double rounding; the value of the last tick is value() afterwards.
    double tickSum(int count);
    // The next n tick() values into out; the sine shapes turn four phasor copies at a time (equal to
    // ticking within double rounding).
    void tickInto(double* out, int n);
    // The value the last tick() returned.
    double value() const { return read(); }

    // Hz: the free rate, or tempo / 60 * cycles per beat of the sync division.
    double getRate() const;
    double getSampleRate() const { return sampleRate; }
    int getShape() const { return shape; }
    int getSyncIndex() const { return syncIndex; }
    double getTempo() const { return tempo; }
    double getShift() const { return shift; }

private:
    struct Phasor {
        double x = 0.0, y = -1.0;
        double stepCos = 1.0, stepSin = 0.0;

        void setStep(double omega);
        void rotate(double angle);
        // Rotation by the step with a Newton step towards radius 1 against slow drift of the radius.
        void advance() {
            const double nx = x * stepCos - y * stepSin;
            const double ny = x * stepSin + y * stepCos;
            const double correction = 1.5 - 0.5 * (nx * nx + ny * ny);
            x = nx * correction;
            y = ny * correction;
        }
        // Rotation by count steps at once; returns the sum of the x values after each of them.
        double advanceSum(int count);

        // The series of the last few counts, kept while the step stays: the control clock's steps and
        // the host's blocks cut each other into a handful of lengths that come round in turn.
        static constexpr int kSeriesSlots = 4;
        PhasorSeries series[kSeriesSlots];
        int seriesCount[kSeriesSlots] = {-1, -1, -1, -1};
        int oldestSlot = 0;
    };

    void setupRate();
    void prepareStart();
    void applyShift();
    void advance();
    double read() const;
    double nextRandom();

    double sampleRate = 44100.0;
    double freeRate = 1.0;
    int syncIndex = 0;
    double tempo = 120.0;
    double shift = 0.0;
    double appliedShift = 0.0; // of the sine phasors, which shift by rotation
    int shape = kSine;

    Phasor phasor;  // sine, modulated sine, and ω of the double sine
    Phasor phasor2; // 2ω of the double sine
    double increment = 0.0;
    double phase = 0.0;     // saw, square, random
    double level = 0.0;     // triangle value
    double direction = 1.0; // triangle direction
    double randomFrom = 0.0, randomTo = 0.0;
    std::uint32_t randomState = 0x2545F491u;
    bool startPending = true;
};

} // namespace DSP::Generators
