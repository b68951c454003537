// The effect: a stereo filter processor behind the format-neutral plug-in interface.
#pragma once

#include "dsp/lib/ISamplerEffect.h"
#include "frame/AudioBuses.h"
#include "frame/TessuOS.h"
#include "params/CPropertyManager.h"
#include "params/ParameterProperty.h"

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

    // Parameter lookups answer from the manager: 49 parameters, 48 of them host-visible.
    Tessu::ParameterProperty* findParameterByKey(const char* key) override;
    Tessu::ParameterProperty* getParameterAt(int32_t index) override;
    Tessu::ParameterProperty* findParameterById(int32_t id) override;
    Tessu::ParameterProperty* getHostParameter(int32_t index) override;
    int32_t getParameterCount() override;
    int32_t getHostParameterCount() override;
    void parameterChanged(Tessu::IPluginParameter* parameter) override;

    Tessu::CPropertyManager& parameters() { return parameters_; }
    Tessu::ParameterProperty& presetNameParameter() { return presetNameParameter_; }
    Tessu::ParameterProperty& globalLimiterParameter() { return globalLimiterParameter_; }
    const char* getPresetName() const { return presetName_; }

    // ISamplerEffect: forwarded to an attached sampler-side object, ignored without one.
    void samplerNoteOn(int note, int velocity) override;
    void samplerNoteOff(int note) override;
    void samplerSetParameter(int index, float value) override;
    void attachSampler(ISamplerEffect* target) { sampler_ = target; }

private:
    void delayDryPath(const float* in, float* out, float* history, int32_t frames);

    static constexpr int32_t kPresetNameCapacity = 128;

    Tessu::CNChannelBuffer dryHistory_;
    char presetName_[kPresetNameCapacity] = {};
    Tessu::CPropertyManager parameters_;
    Tessu::ParameterProperty presetNameParameter_;
    Tessu::ParameterProperty globalLimiterParameter_;
    ISamplerEffect* sampler_ = nullptr;
};
