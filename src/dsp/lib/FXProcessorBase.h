#pragma once

namespace DSP {

// Base of the block effects (distortion, rate reduction): a sample rate and a reset hook.
class CFXProcessorBase {
public:
    virtual ~CFXProcessorBase() = default;

    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void reset() {}

    float getSampleRate() const { return sampleRate; }

protected:
    float sampleRate = 44100.0f;
};

} // namespace DSP
