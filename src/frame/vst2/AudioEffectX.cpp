#include "frame/vst2/AudioEffectX.h"

namespace vst2 {

namespace {
AudioEffectX* self(AEffect* e) {
    return e ? static_cast<AudioEffectX*>(e->object) : nullptr;
}
} // namespace

AudioEffectX::AudioEffectX(AudioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster_(audioMaster) {
    aeffect_.magic = kEffectMagic;
    aeffect_.dispatcher = &dispatchEntry;
    aeffect_.process = &processEntry;
    aeffect_.setParameter = &setParameterEntry;
    aeffect_.getParameter = &getParameterEntry;
    aeffect_.processReplacing = &processReplacingEntry;
    aeffect_.processDoubleReplacing = &processDoubleEntry;
    aeffect_.numPrograms = numPrograms;
    aeffect_.numParams = numParams;
    aeffect_.numInputs = 1;
    aeffect_.numOutputs = 2;
    aeffect_.flags = effFlagsCanReplacing;
    aeffect_.ioRatio = 1.0f;
    aeffect_.object = this;
    aeffect_.uniqueID = fourCC("NoEf");
    aeffect_.version = 1;
}

VstIntPtr AudioEffectX::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return audioMaster_ ? audioMaster_(&aeffect_, opcode, index, value, ptr, opt) : 0;
}

bool AudioEffectX::canHostDo(const char* text) {
    return callHost(audioMasterCanDo, 0, 0, const_cast<char*>(text)) == 1;
}

VstInt32 AudioEffectX::getHostVendorVersion() {
    return audioMaster_ ? VstInt32(callHost(audioMasterGetVendorVersion)) : -1;
}

bool AudioEffectX::getHostVendorString(char* text) {
    text[0] = 0;
    return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text) {
    text[0] = 0;
    return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

VstIntPtr AudioEffectX::dispatchEntry(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                      float opt) {
    AudioEffectX* effect = self(e);
    if (!effect) return 0;
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

// The accumulating entry point of old hosts; double precision is not offered.
void AudioEffectX::processEntry(AEffect*, float**, float**, VstInt32) {}
void AudioEffectX::processDoubleEntry(AEffect*, double**, double**, VstInt32) {}

void AudioEffectX::processReplacingEntry(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
    if (AudioEffectX* effect = self(e)) effect->processReplacing(inputs, outputs, frames);
}

void AudioEffectX::setParameterEntry(AEffect* e, VstInt32 index, float value) {
    if (AudioEffectX* effect = self(e)) effect->setParameter(index, value);
}

float AudioEffectX::getParameterEntry(AEffect* e, VstInt32 index) {
    AudioEffectX* effect = self(e);
    return effect ? effect->getParameter(index) : 0.0f;
}

} // namespace vst2
