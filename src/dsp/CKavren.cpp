#include "dsp/CKavren.h"

#include "params/KavrenParameters.h"

#include <algorithm>

namespace {

constexpr int32_t kInitialBlockSize = 512;
// A lone change of a cut-off parameter glides this long (see CAutomationRamp).
constexpr double kLongestCutoffRampSeconds = 0.05;

DSP::SkewedRange rangeOf(const Tessu::ParameterDescriptor& d) {
    return {d.minimum, d.maximum, d.curve};
}

} // namespace

CKavren::CKavren(Tessu::TessuCallback* hostCallback, EditorFactory editorFactory)
    : TessuOS(hostCallback), lowPassRange_(rangeOf(kavrenParameterDescriptors()[kLowPassFreq])),
      highPassRange_(rangeOf(kavrenParameterDescriptors()[kHighPassFreq])) {
    filters_.filter(DSP::CFilterStage::LowPass).setCutoff(22050.0);
    filters_.filter(DSP::CFilterStage::HighPass).setCutoff(20.0);
    spareDelayLine_.setLength(0, 88);
    spareDelayLine_.setLength(1, 88);
    spareDelayLine_.resize();
    setBlockSize(kInitialBlockSize);
    // Until the sample rate is known the latency reported is one sub-block at 44.1 kHz.
    latency = 88;

    createKavrenParameters(parameters_, this);
    initPresetNameParameter(presetNameParameter_);
    initGlobalLimiterParameter(globalLimiterParameter_);
    globalLimiterParameter_.addListener(this, true);
    for (int32_t id = 0; id < kParameterCount; ++id) slotParameter_[id] = findParameterById(id);
    slotParameter_[kGlobalLimiterSlot] = &globalLimiterParameter_;
    chunk_.setIdentifier("QMX-kavren-Preset");
    if (editorFactory) editor = editorFactory(*this);
    setSampleRate(44100.0f);
    loadInitPreset();
    // Nothing else can reach the instance yet: the first block starts from the initial preset.
    applyPendingChanges();
}

CKavren::~CKavren() {
    // The editor refers to the effect; it goes first.
    delete editor;
    editor = nullptr;
}

int32_t CKavren::getMaxBlockSize() {
    return int32_t(sampleRate) / 500;
}

Tessu::ParameterProperty* CKavren::findParameterByKey(const char* key) {
    return parameters_.findParameterByKey(key);
}

Tessu::ParameterProperty* CKavren::getParameterAt(int32_t index) {
    return parameters_.getParameterAt(index);
}

Tessu::ParameterProperty* CKavren::findParameterById(int32_t id) {
    return parameters_.findParameterById(id);
}

Tessu::ParameterProperty* CKavren::getHostParameter(int32_t index) {
    return parameters_.getHostParameter(index);
}

int32_t CKavren::getParameterCount() {
    return parameters_.getParameterCount();
}

int32_t CKavren::getHostParameterCount() {
    return parameters_.getHostParameterCount();
}

// Hosts change the rate and the block size while processing is stopped (the adapter makes sure of it):
// both allocate and reach into every stage.
void CKavren::setSampleRate(float rate) {
    TessuOS::setSampleRate(rate);
    controlStep_ = DSP::ControlStep::forSampleRate(rate);
    stepRemaining_ = controlStep_.samples;
    envelope_.setStepSeconds(controlStep_.samples / double(rate));
    for (DSP::CAutomationRamp& ramp : cutoffRamp_)
        ramp.setLimits(controlStep_.samples, int(kLongestCutoffRampSeconds * rate));
    lfo_.setSampleRate(rate);
    distortion_.setSampleRate(rate);
    limiter_.setSampleRate(rate);
    envelope_.setSampleRate(rate);
    filters_.setSampleRate(rate);
    ringMod_.setSampleRate(rate);
    frequencyModulator_.setSampleRate(rate);
    setLatency(limiter_.getLatency());
    resizeBuffers(blockSize);
}

void CKavren::setBlockSize(int32_t frames) {
    TessuOS::setBlockSize(frames);
    resizeBuffers(frames);
    limiter_.setMaxBlockSize(frames);
}

void CKavren::resizeBuffers(int32_t frames) {
    const int32_t n = std::max(frames, 1);
    input_.allocate(n);
    dry_.allocate(n);
    work_.allocate(n);
    parallel_.allocate(n);
    const int32_t length = limiter_.getLatency();
    dryDelay_.setLength(length, n);
    outputDelay_.setLength(length, n);
}

void CKavren::resetNow() {
    work_.clear(0);
    parallel_.clear(0);
    lfo_.reset();
    lfoStepValue_ = 0.0f;
    lfoStepSum_ = 0.0;
    stepRemaining_ = controlStep_.samples;
    distortion_.reset();
    rateReducer_.reset();
    inputGain_.clearPeaks();
    outputGain_.clearPeaks();
    envelope_.reset();
    filters_.endCrossfade();
    restartFilters();
    ringMod_.reset();
    dryDelay_.clear();
    outputDelay_.clear();
    dryWeight_ = 1.0f - dryWetAmount_;
    frequencyModulator_.reset();
    publishEditorValues();
}

// The filters jump to their settings and start from silence.
void CKavren::restartFilters() {
    for (auto side : {DSP::CFilterStage::LowPass, DSP::CFilterStage::HighPass}) {
        cutoffRamp_[side].jump(cutoffRange(side).toNormalised(filterSettings_[side].cutoff));
        filters_.resetControl(side, filterSettings_[side].cutoff, filterSettings_[side].resonance);
    }
    runFilterControl();
    filters_.clearState();
}

// A load's values reach the audio thread as one batch, with the reset that follows it.
void CKavren::beginUpdate() {
    inbox_.beginBatch();
    settingsLoading_ = true;
    parameters_.suspendNotifications();
}

void CKavren::endUpdate() {
    parameters_.resumeNotifications();
    inbox_.request(kLoadResetRequest);
    settingsLoading_ = false;
    inbox_.endBatch();
}

CGainStage::Peaks CKavren::takeInputPeaks() {
    if (isBypassed() && bypassRampFinished_) {
        float left = bypassPeakLeft_.exchange(0.0f), right = bypassPeakRight_.exchange(0.0f);
        return {-left, left, -right, right};
    }
    return inputGain_.takePeaks();
}

void CKavren::samplerNoteOn(int note, int velocity) {
    if (sampler_) sampler_->samplerNoteOn(note, velocity);
}

void CKavren::samplerNoteOff(int note) {
    if (sampler_) sampler_->samplerNoteOff(note);
}

void CKavren::samplerSetParameter(int index, float value) {
    if (sampler_) sampler_->samplerSetParameter(index, value);
}
