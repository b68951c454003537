// A thin C++ face over the AEffect record: it fills the record, routes the host's C entry points to
// virtual member functions and wraps the host callback. Format logic lives in the derived adapter.
#pragma once

#include "frame/vst2/VstAbi.h"

namespace vst2 {

class AudioEffectX {
public:
    AudioEffectX(AudioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffectX() = default;
    AudioEffectX(const AudioEffectX&) = delete;
    AudioEffectX& operator=(const AudioEffectX&) = delete;

    AEffect* getAeffect() { return &aeffect_; }

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) = 0;
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 frames) = 0;
    virtual void setParameter(VstInt32 index, float value) = 0;
    virtual float getParameter(VstInt32 index) = 0;

protected:
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    bool canHostDo(const char* text);
    VstInt32 getHostVendorVersion();
    bool getHostVendorString(char* text);
    bool getHostProductString(char* text);

    void setUniqueID(VstInt32 id) { aeffect_.uniqueID = id; }
    void setNumInputs(VstInt32 n) { aeffect_.numInputs = n; }
    void setNumOutputs(VstInt32 n) { aeffect_.numOutputs = n; }
    void setInitialDelay(VstInt32 frames) { aeffect_.initialDelay = frames; }
    void setFlag(VstInt32 flag, bool on) {
        aeffect_.flags = on ? (aeffect_.flags | flag) : (aeffect_.flags & ~flag);
    }
    bool hasFlag(VstInt32 flag) const { return (aeffect_.flags & flag) != 0; }

    AudioMasterCallback audioMaster_;
    float sampleRate_ = 44100.0f;
    VstInt32 blockSize_ = 1024;
    AEffect aeffect_{};

private:
    static VstIntPtr dispatchEntry(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float);
    static void processEntry(AEffect*, float**, float**, VstInt32);
    static void processReplacingEntry(AEffect*, float**, float**, VstInt32);
    static void processDoubleEntry(AEffect*, double**, double**, VstInt32);
    static void setParameterEntry(AEffect*, VstInt32, float);
    static float getParameterEntry(AEffect*, VstInt32);
};

} // namespace vst2
