#pragma once

#include "dsp/lib/DspBaseObject.h"
#include "dsp/lib/FloatBuffer.h"
#include "dsp/modulation/LfoOscillator.h"

namespace DSP::FX {

// Frequency modulation as a vibrato: a delay of 1 + depth (o + 1) samples swept by a sine LFO o, read
// by fifth-order Lagrange interpolation (flat within 0.3 dB up to 10 kHz at 44.1 kHz wherever the read
// falls between samples). The output is the delayed signal only. Depth, delay and on/off are smoothed
// per sample so that no setting change clicks. The second oscillator runs at the same rate 0.1 cycle
// ahead of the first (its value is available for displays).
//
// Buffers are allocated in the constructor; everything else is real-time safe.
// Per block: processBlock(bus, n) in place (or processSample per frame).
class CVibrato {
public:
    enum Parameter { kShift = 0, kRate = 2, kMix = 3 };
    static constexpr int kBufferLength = 65536;

    CVibrato();

    void setSampleRate(float rate);
    // kShift: phase of the first oscillator (0..1); kRate: Hz of both oscillators, on above 0.0101 Hz;
    // kMix: 0..1, depth = min(65526, trunc(0.05 sampleRate mix^2) / 2) samples at the rate of the call
    // (a later rate change keeps the depth in samples until the mix is set again).
    void setParameter(int index, float value);
    // Buffers cleared, delay 0, oscillators restarted.
    void reset();

    void processSample(float inL, float inR, float& outL, float& outR);
    // In place. A block with non-finite input clears the delay buffers at its end, so the next finite
    // block comes out clean.
    void processBlock(StereoView bus, int n);
    // No depth asked for and the sweep settled at the shortest delay: the output would only be the
    // input one sample late.
    bool isIdle() const { return depthTarget == 0.0f && depth < 1e-6f && delay < 1e-6f; }
    // Stores the block as the delay's input without reading it, and moves the smoothers, the delay and
    // both oscillators on by the block as processing would, so a caller that skips an idle vibrato
    // resumes it where it would be had it run all along.
    void writeOnly(StereoView bus, int n);

    float getDelay() const { return delay; }
    float getDepthTarget() const { return depthTarget; }
    double getSecondOscillatorValue() const { return secondValue; }
    const Generators::CLFOOscillator& oscillator(int which) const { return which == 0 ? first : second; }

private:
    void clearBuffers();
    // Smoothers that sit at the fixed points of their smoothing steps.
    struct Rest {
        bool enable = false, depth = false;
    };
    struct Smoothed {
        float enable, depth, delay;
    };
    // One frame's smoothing steps and the delay they give, the sweep at o.
    float advance(Smoothed& s, float o, Rest rest) const;
    // The output of the frame whose input is stored at `current`, read frameDelay + 1 samples before it.
    void read(int current, float frameDelay, float& outL, float& outR) const;
    void readFour(int current, const float* frameDelays, float* outL, float* outR) const;
    // One sample's smoothing steps (enable takes two).
    float nextEnable(float e) const;
    float nextDepth(float d) const;
    void store(float inL, float inR);
    void advanceUnread(int n);

    Generators::CLFOOscillator first;
    Generators::CLFOOscillator second;
    MEMORY::CFloatBuffer left;
    MEMORY::CFloatBuffer right;
    int writeIndex = 0; // of the ring of kBufferLength samples per channel
    float delay = 0.0f;
    float depthTarget = 0.0f;
    float depth = 0.0f;
    float enableTarget = 1.0f;
    float enable = 1.0f;
    float sampleRate = 44100.0f;
    double secondValue = 0.0;
};

} // namespace DSP::FX
