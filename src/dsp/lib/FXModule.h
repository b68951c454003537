#pragma once

// Base of the effect's output modules (limiter, delay line): an enabled flag and a sample rate.
class FXModule {
public:
    virtual ~FXModule() = default;

    // Hook for modules that prepare work ahead of processing; nothing to do by default.
    virtual void prepare() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setMaxBlockSize(int) {}
    virtual void setEnabled(bool on) { enabled = on; }
    virtual bool isEnabled() const { return enabled; }
    virtual void reset() {}

    float getSampleRate() const { return sampleRate; }

protected:
    bool enabled = true;
    float sampleRate = 44100.0f;
};

// Plain module with the base behaviour.
class CFX_Module : public FXModule {};
