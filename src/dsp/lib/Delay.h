#pragma once

#include "dsp/lib/DspBaseObject.h"
#include "dsp/lib/FloatBuffer.h"

namespace DSP::DELAY {

// Fixed delay of a settable number of whole samples over a ring of exactly that length.
// setDelay allocates (call it outside the audio thread); everything else is real-time safe.
class CMonoDelayBase : public CDspBaseObject {
public:
    void setDelay(int samples);
    int getDelay() const { return delay; }
    void reset() override;
    // Delays n samples; in and out may be the same array.
    void processBlock(const float* in, float* out, int n);

protected:
    MEMORY::CFloatBuffer buffer;
    int length = 0;
    int writePosition = 0;
    int delay = 0;
};

class CSimpleMonoDelay : public CMonoDelayBase {
public:
    void processSample(float in, float& out) override;
    void processMono(const float* in, float* out, int n) override { processBlock(in, out, n); }
};

// Two mono delays of the same length.
class CStereoDelayBase {
public:
    virtual ~CStereoDelayBase() = default;

    // Delays n frames; input and output arrays may coincide.
    virtual void process(const float* inL, const float* inR, float* outL, float* outR, int n);
    virtual void setDelay(int samples);
    virtual void setSampleRate(float rate);
    virtual float getSampleRate() const { return sampleRate; }
    virtual int getDelay() const { return left.getDelay(); }
    virtual void reset();

protected:
    float sampleRate = 44100.0f;
    CSimpleMonoDelay left;
    CSimpleMonoDelay right;
};

class CSimpleStereoDelay : public CStereoDelayBase {
public:
    void processSample(float inL, float inR, float& outL, float& outR);
};

} // namespace DSP::DELAY
