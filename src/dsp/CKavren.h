// The effect: a stereo filter processor behind the format-neutral plug-in interface.
//
// Threads (docs/threading.md): process runs on the host's audio thread, which alone touches the DSP
// state. parameterChanged, reset, setBypass and the chunk operations may run on any thread: they post
// what changed to the change inbox, and the audio thread applies it at the start of its next block.
// setSampleRate and setBlockSize allocate and run while processing is stopped. The editor queries read
// values that the audio thread publishes after each block.
#pragma once

#include "core/SharedText.h"
#include "dsp/ChangeInbox.h"
#include "dsp/GainStage.h"
#include "dsp/LatencyDelay.h"
#include "dsp/Relaxed.h"
#include "dsp/SampleRing.h"
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
#include "dsp/modulation/AutomationRamp.h"
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
#include <mutex>

class CKavren : public Tessu::TessuOS, public ISamplerEffect {
public:
    // Makes the effect's editor. The effect owns what it answers and deletes it before itself; without a
    // factory (command-line tools, tests, a host that shows its own controls) the effect has no editor.
    using EditorFactory = Tessu::IPluginEditor* (*)(CKavren& effect);

    explicit CKavren(Tessu::TessuCallback* callback, EditorFactory editorFactory = nullptr);
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
    // Applies on the calling thread what other threads posted; process does it at every block, hosts'
    // threads never need to.
    void applyPendingChanges();

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
    // Any thread: the name as a whole, even while a chunk load on another thread replaces it.
    std::string getPresetName() const { return presetName_.get(); }

    // Editor queries. Peaks are extremes since the last query; while bypassed the input query answers the
    // bypass peak-hold instead.
    CGainStage::Peaks takeInputPeaks();
    CGainStage::Peaks takeOutputPeaks() { return outputGain_.takePeaks(); }
    float envelopeValue(DSP::CEnvelopeFollower::Target target) const { return shownEnvelope_[target]; }
    float lfoValue() const { return shownLfo_; }
    float modulatedCutoff(DSP::CFilterStage::Side side) const { return modulatedCutoff_[side]; }
    float ringModFrequency() const { return shownRingFrequency_; }
    // The frequency modulator's rate and mix as the links have placed them.
    float freqModRate() const { return frequencyModControl_.effectiveRate(); }
    float freqModMix() const { return frequencyModControl_.effectiveMix(); }
    // The displays' feeds (spectrum signal, envelope histories) are only filled while an editor asks for
    // them; nothing else is analysed on the audio thread.
    void setAnalysisRequested(bool on) { analysisRequested_ = on; }
    const CSpectrumFeed& spectrumFeed() const { return spectrumFeed_; }
    // One envelope value per block while an editor asks for analysis.
    const CEnvelopeHistory& envelopeHistory(DSP::CEnvelopeFollower::Target target) const {
        return envelopeHistory_[target];
    }

    // ISamplerEffect: forwarded to an attached sampler-side object, ignored without one.
    void samplerNoteOn(int note, int velocity) override;
    void samplerNoteOff(int note) override;
    void samplerSetParameter(int index, float value) override;
    void attachSampler(ISamplerEffect* target) { sampler_ = target; }

private:
    struct FilterSettings {
        float cutoff = 0.0f, resonance = 0.0f, width = 1.0f, envStrength = 0.0f, lfoStrength = 0.0f;
        int slopeDb = 24;
    };
    // What a posted slot stands for: the parameter ids, then the global limiter switch.
    static constexpr int kGlobalLimiterSlot = 49;
    static constexpr int kSlotCount = 50;
    enum Request : uint32_t { kResetRequest = 1, kLoadResetRequest = 2 };
    struct Block {
        DSP::StereoView input, output;
        int n;
        double samplePos;
        float tempo;
        bool playing;
    };
    // The end of a control step within a block and the cut-off targets measured up to it.
    struct ControlPoint {
        int at;
        double cutoff[2];
    };
    // processBlock takes at most this many frames, so that a block's control points fit their array.
    static constexpr int kMaxBlockPiece = 1024;
    static constexpr int kMaxControlPoints = kMaxBlockPiece / 4 + 1;

    // Parameter handling, on the thread that changed a value (KavrenParameterHandler.cpp).
    void followLink(bool lowPassLeads);
    void switchFilterMode(const Tessu::ParameterProperty& mode);
    void exchangeFilterSettings();
    void updateLinkRatio();
    void setFilterParameter(int32_t id, float value);
    float parameterValue(int32_t id) { return findParameterById(id)->getValue(); }

    // Applying posted changes, on the audio thread (KavrenSettings.cpp).
    void readPostedValues();
    void applyParameter(int32_t id);
    void applyFilterMode();
    void restartFilters();
    void startBypassRamp(bool bypass);
    void resetNow();

    // Processing (KavrenProcess.cpp).
    int runControlClock(DSP::StereoView work, const Block& block);
    void filterInSteps(const DSP::FilterStageBuffers& buffers, int n, int points);
    void applyControlPoint(const ControlPoint& point, const DSP::ControlStep& step);
    void runFilterControl();
    double targetCutoff(DSP::CFilterStage::Side side) const;
    const DSP::SkewedRange& cutoffRange(DSP::CFilterStage::Side side) const {
        return side == DSP::CFilterStage::LowPass ? lowPassRange_ : highPassRange_;
    }
    void updateModulationLinks();
    void processBlock(const Block& block);
    void processBypassed(const Block& block, DSP::StereoView delayedDry);
    void publishEditorValues();
    void feedDisplays(const Block& block);
    void storePresetName(const char* name);
    void crossfadeTowardDry(DSP::StereoView out, DSP::StereoView dry, int n, float& dryWeight, float target);
    void bypassCrossfade(DSP::StereoView out, DSP::StereoView dry, int n);
    void clearStateAfterBypass();
    void resizeBuffers(int32_t frames);
    double lowPassNormalisedPosition() const;

    // Signal path.
    // input_ holds the host's block with non-finite samples silenced; every path starts from it.
    Tessu::AudioStereoBus input_, dry_, work_, parallel_;
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
    CLatencyDelay dryDelay_, outputDelay_;
    DSP::SkewedRange lowPassRange_, highPassRange_;

    // The control clock: envelope, LFO and filter control run once per step of controlStep_ frames,
    // counted through the audio stream whatever blocks the host sends.
    DSP::ControlStep controlStep_;
    int stepRemaining_ = 1;
    bool envelopeListening_ = true;
    double lfoStepSum_ = 0.0;
    float lfoStepValue_ = 0.0f;
    ControlPoint controlPoints_[kMaxControlPoints] = {};
    // The cut-off parameters' normalised positions on their way to the latest values.
    DSP::CAutomationRamp cutoffRamp_[2];

    // From other threads to the audio thread.
    CChangeInbox inbox_;
    Tessu::ParameterProperty* slotParameter_[kSlotCount] = {};

    // DSP settings: the audio thread's copy of the parameter values, applied from the inbox.
    float postedValues_[kSlotCount] = {};
    FilterSettings filterSettings_[2];
    int filterMode_ = 0;
    float inertia_ = 1.0f;
    float dryWetAmount_ = 1.0f;
    bool distortionAfterFilters_ = false;
    bool rateAfterFilters_ = true;
    bool limiterSwitch_ = false;
    bool globalLimiter_ = true;
    // True while the audio thread applies a state load: the rate link waits for the reset after it.
    bool applyingLoad_ = false;

    // Bypass ramp and dry/wet state (audio thread).
    float bypassPosition_ = 1.0f;
    float bypassIncrement_ = 0.0f;
    bool rampTowardBypass_ = false;
    int bypassHold_ = 0;
    Relaxed<bool> bypassRampFinished_{true};
    float dryWeight_ = 0.0f;
    std::atomic<float> bypassPeakLeft_{0.0f}, bypassPeakRight_{0.0f};

    // Published by the audio thread for the editor.
    Relaxed<bool> analysisRequested_{false};
    Relaxed<float> modulatedCutoff_[2] = {22050.0f, 20.0f};
    Relaxed<float> shownEnvelope_[2] = {0.0f, 0.0f};
    Relaxed<float> shownLfo_{0.0f};
    Relaxed<float> shownRingFrequency_{0.0f};
    CSpectrumFeed spectrumFeed_;
    CEnvelopeHistory envelopeHistory_[2];

    // The handler's own state, on whichever thread changes parameters.
    Relaxed<bool> linkFilters_{false};
    Relaxed<float> linkRatio_{1.0f};
    std::atomic<bool> parallelFilters_{false};
    // Re-entrancy marks: a link update sets the other filter's parameter, which calls the handler again;
    // a state load applies values that must not move each other.
    std::atomic<bool> linkUpdateRunning_{false};
    std::atomic<bool> settingsLoading_{false};
    // Chunk requests may come from several host threads; processing never takes this.
    std::mutex stateAccess_;

    ISamplerEffect* sampler_ = nullptr;
    Tessu::CPresetChunk chunk_;
    Relaxed<int32_t> globalLimiterMode_{1};

    // Parameters last: creating them notifies the handler, which needs the members above.
    static constexpr std::size_t kPresetNameMaxBytes = 127;
    Core::SharedText presetName_{kPresetNameMaxBytes};
    Tessu::CPropertyManager parameters_;
    Tessu::ParameterProperty presetNameParameter_;
    Tessu::ParameterProperty globalLimiterParameter_;
};
