// The object a VST 2.4 host talks to: it owns one effect behind TessuOS, keeps the audio in its own
// buffers, cuts host blocks into the effect's sub-blocks and mirrors edits made inside the plug-in back
// to the host as automation.
#pragma once

#include "frame/AudioBuses.h"
#include "frame/PluginDescriptor.h"
#include "frame/ProcessingGate.h"
#include "frame/TessuOS.h"
#include "frame/vst2/AudioEffectX.h"
#include "frame/vst2/EditorBridge.h"

#include <memory>
#include <vector>

namespace Tessu {

class TessuVST : public vst2::AudioEffectX, public ParameterChangeListener, public TessuCallback {
public:
    explicit TessuVST(vst2::AudioMasterCallback audioMaster);
    ~TessuVST() override;

    vst2::VstIntPtr dispatcher(int32_t opcode, int32_t index, vst2::VstIntPtr value, void* ptr,
                               float opt) override;
    void processReplacing(float** inputs, float** outputs, int32_t frames) override;
    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;

    // ParameterChangeListener: edits made inside the plug-in go to the host as automation.
    void parameterChanged(IPluginParameter* parameter) override;

    // TessuCallback
    void idle() override;
    bool getHostVendorString(char* text) override { return AudioEffectX::getHostVendorString(text); }
    bool getHostProductString(char* text) override { return AudioEffectX::getHostProductString(text); }
    int32_t getHostVendorVersion() override { return AudioEffectX::getHostVendorVersion(); }
    void updateDisplay() override;
    void ioChanged() override;
    void setNumInputs(int32_t pairs) override;
    void setNumOutputs(int32_t pairs) override;
    void setLatency(int32_t samples) override;
    int32_t beginEdit(int32_t hostIndex) override;
    int32_t endEdit(int32_t hostIndex) override;
    void automate(int32_t hostIndex, float value) override;
    float getTempo() override;
    int32_t getWrapperType() override { return kWrapperVst2; }
    bool sizeWindow(int32_t width, int32_t height) override;
    bool canResizeWindow() override;

    TessuOS* getEffect() const { return effect_; }

private:
    void chooseAndCreateEffect();
    void setBlockSize(int32_t frames);
    void resizeBuffers();
    vst2::VstIntPtr dispatchText(int32_t opcode, int32_t index, char* text);
    vst2::VstIntPtr dispatchVendorSpecific(int32_t index, vst2::VstIntPtr value, void* ptr, float opt);
    vst2::VstIntPtr canDo(const char* text) const;
    vst2::VstIntPtr queueMidi(const vst2::VstEvents* events);
    vst2::VstIntPtr getPinProperties(bool input, int32_t index, vst2::VstPinProperties* pin) const;
    vst2::VstIntPtr getParameterProperties(int32_t index, vst2::VstParameterProperties* properties);
    vst2::VstIntPtr shellGetNextPlugin(char* name);
    const vst2::VstTimeInfo& timeInfo(int32_t filter);
    void fillContext(const vst2::VstTimeInfo& time, int32_t frames);
    void processPiece(float** inputs, float** outputs, int32_t offset, int32_t frames, double beatsPerFrame);
    static int32_t samplesToNextBeat(double tempo, double rate, double ppqPos);

    TessuOS* effect_ = nullptr;
    std::unique_ptr<CTessuVST2_Editor> editor_;
    vst2::VstTimeInfo defaultTimeInfo_{};
    ProcessingGate gate_;
    int32_t inputPairs_ = 1;
    int32_t outputPairs_ = 1;
    int32_t shellIndex_ = 0;
    int32_t category_ = vst2::kPlugCategShell;
    bool announcedInstrument_ = false;
    PluginDescriptor descriptor_{};
    PluginList plugins_;
    // Filled by effProcessEvents and emptied by processReplacing, both on the audio thread.
    std::vector<MidiEventRecord> midiQueue_;
    int32_t numInputChannels_ = 2;
    int32_t numOutputChannels_ = 2;
    CNChannelBuffer inputBuffer_;
    CNChannelBuffer outputBuffer_;
    ProcessContext context_;
};

} // namespace Tessu
