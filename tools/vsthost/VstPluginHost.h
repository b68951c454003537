// A minimal VST 2.4 host: loads a plug-in library through its exported entry point and talks to it only
// through the AEffect record, the way a DAW does. Used by the command-line tool and the black-box tests.
#pragma once

#include "frame/vst2/VstAbi.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kavren::host {

// How this host describes itself to plug-ins.
inline constexpr const char* kHostVendor = "Kavren";
inline constexpr const char* kHostProduct = "kavren host";
inline constexpr int32_t kHostVendorVersion = 1000;

struct AutomationMessage {
    int32_t index;
    float value;
};

// A gesture message in the order the plug-in sent it: audioMasterBeginEdit, audioMasterAutomate
// (with its value) or audioMasterEndEdit.
struct EditMessage {
    int32_t opcode;
    int32_t index;
    float value;
};

class VstPluginHost {
public:
    // Loads the library and creates one plug-in instance. Throws std::runtime_error with a readable
    // message when the library, its entry point or the instance cannot be had.
    explicit VstPluginHost(const std::string& libraryPath, const char* entryName = "VSTPluginMain");
    ~VstPluginHost();
    VstPluginHost(const VstPluginHost&) = delete;
    VstPluginHost& operator=(const VstPluginHost&) = delete;

    vst2::AEffect* effect() const { return effect_; }
    vst2::VstIntPtr dispatch(int32_t opcode, int32_t index = 0, vst2::VstIntPtr value = 0,
                             void* ptr = nullptr, float opt = 0.0f);

    // effOpen, sample rate, block size, resume.
    void start(float sampleRate, int32_t blockSize);
    void suspend() { dispatch(vst2::effMainsChanged, 0, 0); }
    void resume() { dispatch(vst2::effMainsChanged, 0, 1); }

    std::string text(int32_t opcode, int32_t index = 0);
    std::string parameterName(int32_t index) { return text(vst2::effGetParamName, index); }
    std::string parameterLabel(int32_t index) { return text(vst2::effGetParamLabel, index); }
    std::string parameterDisplay(int32_t index) { return text(vst2::effGetParamDisplay, index); }
    float getParameter(int32_t index) { return effect_->getParameter(effect_, index); }
    void setParameter(int32_t index, float value) { effect_->setParameter(effect_, index, value); }
    int32_t canDo(const char* what);
    std::vector<uint8_t> getChunk(bool preset);
    void setChunk(const std::vector<uint8_t>& chunk, bool preset);

    // Runs processReplacing over planar buffers; advances the transport when it plays.
    void process(float** inputs, float** outputs, int32_t frames);

    // Transport shown to the plug-in through audioMasterGetTime.
    vst2::VstTimeInfo& timeInfo() { return timeInfo_; }
    void setTempo(double bpm) { timeInfo_.tempo = bpm; }
    void setPlaying(bool playing);
    // Answer of audioMasterGetTime: false makes the host return no time information.
    void setProvidesTime(bool provides) { providesTime_ = provides; }

    // What the plug-in told the host.
    const std::vector<AutomationMessage>& automation() const { return automation_; }
    const std::vector<EditMessage>& edits() const { return edits_; }
    void clearAutomation() {
        automation_.clear();
        edits_.clear();
    }
    int32_t ioChangedCount() const { return ioChanged_; }
    // Called from inside audioMasterAutomate, before it returns (e.g. to echo a setParameter).
    std::function<void(int32_t, float)> onAutomate;
    // Resizes the editor's window (width, height) for audioMasterSizeWindow; while set, the host answers
    // canDo "sizeWindow" with yes.
    std::function<bool(int32_t, int32_t)> onSizeWindow;

private:
    static vst2::VstIntPtr callback(vst2::AEffect*, int32_t opcode, int32_t index, vst2::VstIntPtr value,
                                    void* ptr, float opt);
    vst2::VstIntPtr answer(int32_t opcode, int32_t index, vst2::VstIntPtr value, void* ptr, float opt);

    void* library_ = nullptr;
    vst2::AEffect* effect_ = nullptr;
    vst2::VstTimeInfo timeInfo_{};
    bool providesTime_ = true;
    std::vector<AutomationMessage> automation_;
    std::vector<EditMessage> edits_;
    int32_t ioChanged_ = 0;
};

// The library built beside the running executable, else the user's VST folder.
std::string defaultPluginPath();

} // namespace kavren::host
