#pragma once

namespace DSP {

// Non-owning left/right pair of channel pointers; an AudioStereoBus converts with {bus.left, bus.right}.
struct StereoView {
    float* left = nullptr;
    float* right = nullptr;
};

// Per-sample processing base. Subclasses override the sample operations; the block loops drive them.
// The loops do nothing for a plain CDspBaseObject, whose sample operations have no effect.
class CDspBaseObject {
public:
    virtual ~CDspBaseObject() = default;

    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual float getSampleRate() const { return sampleRate; }
    virtual void reset() {}
    virtual void processSample(float in, float& out);
    virtual void processSample(float inL, float inR, float& outL, float& outR);
    virtual void processMono(const float* in, float* out, int n);
    virtual void processStereo(StereoView in, StereoView out, int n);
    virtual void processSampleInPlace(float& left, float& right);
    virtual void processSampleInPlace(float& x);
    virtual void processStereoInPlace(StereoView bus, int n);
    virtual int getTailLength() const { return 0; }

protected:
    float sampleRate = 44100.0f;

private:
    bool isPlainBase() const;
};

} // namespace DSP
