// The effect: a stereo filter processor behind the format-neutral plug-in interface.
#pragma once

#include "dsp/lib/ISamplerEffect.h"
#include "frame/AudioBuses.h"
#include "frame/TessuOS.h"

#include <cstdint>

class CKavren : public Tessu::TessuOS, public ISamplerEffect {
public:
    // Constant processing delay: the limiter's 5 ms look-ahead at 44.1 kHz, at every sample rate.
    static constexpr int32_t kLatency = 221;

    explicit CKavren(Tessu::TessuCallback* callback);
    ~CKavren() override;

    void process(Tessu::ProcessContext& context) override;
    void setSampleRate(float rate) override;
    void setBlockSize(int32_t frames) override;
    void reset() override;
    int32_t getMaxBlockSize() override;

    // ISamplerEffect: forwarded to an attached sampler-side object, ignored without one.
    void samplerNoteOn(int note, int velocity) override;
    void samplerNoteOff(int note) override;
    void samplerSetParameter(int index, float value) override;
    void attachSampler(ISamplerEffect* target) { sampler_ = target; }

private:
    void delayDryPath(const float* in, float* out, float* history, int32_t frames);

    Tessu::CNChannelBuffer dryHistory_;
    ISamplerEffect* sampler_ = nullptr;
};
