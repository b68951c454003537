#include "dsp/CKavren.h"

#include "editor/CKavrenEditor.h"
#include "frame/VectorOps.h"
#include "params/KavrenParameters.h"

#include <algorithm>

CKavren::CKavren(Tessu::TessuCallback* hostCallback) : TessuOS(hostCallback) {
    latency = kLatency;
    dryHistory_.resize(kLatency, 2);
    createKavrenParameters(parameters_, this);
    initPresetNameParameter(presetNameParameter_, presetName_, kPresetNameCapacity);
    initGlobalLimiterParameter(globalLimiterParameter_);
    editor = new CKavrenEditor(this);
}

CKavren::~CKavren() = default;

int32_t CKavren::getMaxBlockSize() {
    return int32_t(sampleRate) / 500;
}

void CKavren::setSampleRate(float rate) {
    TessuOS::setSampleRate(rate);
    reset();
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

void CKavren::parameterChanged(Tessu::IPluginParameter*) {}

void CKavren::setBlockSize(int32_t frames) {
    TessuOS::setBlockSize(frames);
}

void CKavren::reset() {
    dryHistory_.clear();
}

// Output = input kLatency samples earlier; history holds the last kLatency input samples.
void CKavren::delayDryPath(const float* in, float* out, float* history, int32_t frames) {
    const int32_t fromHistory = std::min(frames, kLatency);
    for (int32_t i = 0; i < frames; ++i) {
        float delayed = i < fromHistory ? history[i] : in[i - kLatency];
        out[i] = delayed;
    }
    if (frames >= kLatency) {
        Tessu::vec::copy(in + frames - kLatency, history, kLatency);
    } else {
        Tessu::vec::copy(history + frames, history, size_t(kLatency - frames));
        Tessu::vec::copy(in, history + kLatency - frames, size_t(frames));
    }
}

void CKavren::process(Tessu::ProcessContext& context) {
    if (context.numInputs < 1 || context.numOutputs < 1) return;
    const Tessu::AudioStereoBus& in = context.inputs[0];
    Tessu::AudioStereoBus& out = context.outputs[0];
    delayDryPath(in.left, out.left, dryHistory_.channel(0), context.frames);
    delayDryPath(in.right, out.right, dryHistory_.channel(1), context.frames);
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
