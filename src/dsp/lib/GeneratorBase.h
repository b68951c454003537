#pragma once

namespace DSP::Generators {

// Oscillator base: sample rate and frequency, with recalculate() hooked to every change of either.
class GeneratorBase {
public:
    virtual ~GeneratorBase() = default;

    virtual void setSampleRate(double rate) {
        sampleRate = rate;
        recalculate();
    }
    virtual double getSampleRate() const { return sampleRate; }
    virtual void recalculate() {}
    virtual void setFrequency(double hz) {
        frequency = hz;
        recalculate();
    }
    virtual double getFrequency() const { return frequency; }
    virtual double nextSample() = 0;
    virtual float nextSampleFloat() = 0;
    // Block forms of the two next-sample operations.
    virtual void generate(double* out, int n) {
        for (int i = 0; i < n; ++i) out[i] = nextSample();
    }
    virtual void generate(float* out, int n) {
        for (int i = 0; i < n; ++i) out[i] = nextSampleFloat();
    }
    virtual void reset() {}

protected:
    double sampleRate = 44100.0;
    double frequency = 440.0;
};

} // namespace DSP::Generators
