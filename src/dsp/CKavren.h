// The effect: a stereo filter processor behind the format-neutral plug-in interface.
//
// Threads: process, reset, setSampleRate and setBlockSize run on the host's audio thread (the last two
// allocate, as hosts expect); parameterChanged runs on whichever thread changed a value and only stores
// settings that the next block reads; the editor queries run on the GUI thread.
#pragma once

#include "dsp/GainStage.h"
#include "dsp/LatencyDelay.h"
#include "dsp/Relaxed.h"
#include "dsp/filter/FilterStage.h"
#include "dsp/fx/Distortion.h"
#include "dsp/fx/ModulationLinks.h"
#include "dsp/fx/RateReduction.h"
#include "dsp/fx/RateReductionControl.h"
#include "dsp/fx/RingMod.h"
#include "dsp/fx/Vibrato.h"
#include "dsp/lib/ISamplerEffect.h"
#include "dsp/limiter/FXDelayLine.h"
#include "dsp/limiter/FXLimiter.h"
#include "dsp/modulation/EnvelopeFollower.h"
#include "dsp/modulation/LfoController.h"
#include "dsp/modulation/SkewedRange.h"
#include "frame/AudioBuses.h"
#include "frame/TessuOS.h"
#include "params/CPropertyManager.h"
#include "params/ParameterProperty.h"
#include "presets/CPresetChunk.h"

#include <atomic>
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
    void setBypass(bool bypass) override;
    int32_t getMaxBlockSize() override;
    void beginUpdate() override;
    void endUpdate() override;

    // The complete state as one chunk (hosts' projects, preset files). The chunk stays owned by the effect.
    int32_t getPresetChunk(void** data) override;
    void setPresetChunk(void* data, int32_t size) override;
    void setPresetName(const char* name);
    // Applies "presets/Init Preset.fxp" from the library's resource store; false when the store lacks it.
    bool loadInitPreset();
    // 1 normally; 0 while a preset file is written, so the file leaves the global limiter out.
    void setGlobalLimiterMode(int32_t mode) { globalLimiterMode_ = mode; }

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

    // Editor queries. Peaks are extremes since the last query; while bypassed the input query answers the
    // bypass peak-hold instead.
    CGainStage::Peaks takeInputPeaks();
    CGainStage::Peaks takeOutputPeaks() { return outputGain_.takePeaks(); }
    float envelopeValue(DSP::CEnvelopeFollower::Target target) const { return envelope_.value(target); }
    float lfoValue() const { return lfo_.blockValue(); }
    float modulatedCutoff(DSP::CFilterStage::Side side) const { return modulatedCutoff_[side]; }
    float ringModFrequency() const { return ringControl_.effectiveFrequency(); }
    // The all-pass analysis copy for the displays is only computed while an editor asks for it.
    void setAnalysisRequested(bool on) { analysisRequested_ = on; }

    // ISamplerEffect: forwarded to an attached sampler-side object, ignored without one.
    void samplerNoteOn(int note, int velocity) override;
    void samplerNoteOff(int note) override;
    void samplerSetParameter(int index, float value) override;
    void attachSampler(ISamplerEffect* target) { sampler_ = target; }

private:
    struct FilterSettings {
        Relaxed<float> cutoff, resonance, width{1.0f}, envStrength, lfoStrength;
        Relaxed<int> slopeDb{24};
    };

    // Parameter handling (KavrenParameterHandler.cpp).
    void handleParameter(int32_t id, Tessu::ParameterProperty& parameter);
    void followLink(bool lowPassLeads);
    void changeFilterMode(int mode);
    void exchangeFilterSettings();
    void setFilterParameter(int32_t id, float value);

    // Processing (KavrenProcess.cpp).
    void runFilterControl();
    double targetCutoff(DSP::CFilterStage::Side side) const;
    void updateModulationLinks();
    void processBypassed(Tessu::ProcessContext& context, int n);
    void crossfadeTowardDry(DSP::StereoView out, DSP::StereoView dry, int n, float& dryWeight, float target);
    void bypassCrossfade(DSP::StereoView out, DSP::StereoView dry, int n);
    void clearStateAfterBypass();
    void resizeBuffers(int32_t frames);
    double lowPassNormalisedPosition() const;

    // Signal path.
    Tessu::AudioStereoBus dry_, work_, parallel_, analysis_;
    CGainStage inputGain_, outputGain_;
    DSP::CFilterStage filters_;
    DSP::CEnvelopeFollower envelope_;
    DSP::CLFOController lfo_;
    DSP::FX::CDistortion distortion_;
    DSP::FX::CRateReduction rateReducer_;
    DSP::FX::CRateReductionControl rateControl_;
    DSP::FX::CFXRingMod ringMod_;
    DSP::FX::CRingModControl ringControl_;
    DSP::FX::CVibrato frequencyModulator_;
    DSP::FX::CFreqModControl frequencyModControl_;
    CFXLimiter limiter_;
    CFXDelayLine spareDelayLine_;
    CLatencyDelay dryDelay_, outputDelay_, analysisDelay_;
    DSP::SkewedRange lowPassRange_, highPassRange_;

    // Settings written by the parameter handler.
    FilterSettings filterSettings_[2];
    Relaxed<int> filterMode_{0};
    Relaxed<bool> linkFilters_{false};
    Relaxed<float> linkRatio_{1.0f};
    Relaxed<float> inertia_{1.0f};
    Relaxed<float> dryWetAmount_{1.0f};
    Relaxed<bool> distortionAfterFilters_{false};
    Relaxed<bool> distortionActive_{false};
    Relaxed<bool> rateAfterFilters_{true};
    Relaxed<bool> limiterSwitch_{false};
    Relaxed<bool> globalLimiter_{true};
    Relaxed<bool> analysisRequested_{false};
    Relaxed<float> modulatedCutoff_[2] = {22050.0f, 20.0f};

    // Bypass ramp and dry/wet state (audio thread).
    float bypassPosition_ = 1.0f;
    float bypassIncrement_ = 0.0f;
    bool bypassRampFinished_ = true;
    float dryWeight_ = 0.0f;
    std::atomic<float> bypassPeakLeft_{0.0f}, bypassPeakRight_{0.0f};

    // Re-entrancy marks of the handler.
    bool linkUpdateRunning_ = false;
    bool settingsLoading_ = false;

    ISamplerEffect* sampler_ = nullptr;
    Tessu::CPresetChunk chunk_;
    int32_t globalLimiterMode_ = 1;

    // Parameters last: creating them notifies the handler, which needs the members above.
    static constexpr int32_t kPresetNameCapacity = 128;
    char presetName_[kPresetNameCapacity] = {};
    Tessu::CPropertyManager parameters_;
    Tessu::ParameterProperty presetNameParameter_;
    Tessu::ParameterProperty globalLimiterParameter_;
};
