#include "frame/vst2/TessuVST.h"

#include "frame/SubBlocks.h"
#include "frame/VectorOps.h"
#include "params/ParameterProperty.h"
#include "params/ValueFormat.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

extern "C" Tessu::TessuOS* createTessuInstance(Tessu::TessuCallback* callback, int32_t uniqueID);

namespace Tessu {

using namespace vst2;

namespace {

constexpr size_t kMidiQueueCapacity = 1024;
constexpr int32_t kAllTimeInfo = 0xFFFF;

void copyText(char* destination, const char* source, size_t capacity) {
    std::strncpy(destination, source ? source : "", capacity - 1);
    destination[capacity - 1] = 0;
}

// Echo protection is per thread: a host that answers our automation message with setParameter does so
// on the thread that sent it, and a host change being applied on one thread must not hide an edit made
// on another. The flags belong to the instance that last used them on this thread.
struct HostEcho {
    const void* owner = nullptr;
    bool applyingHostChange = false;
    bool automatingToHost = false;
};
thread_local HostEcho hostEcho;

HostEcho& echoOf(const void* instance) {
    if (hostEcho.owner != instance) hostEcho = {instance, false, false};
    return hostEcho;
}

// 'stCA' with the case of its last letter free.
bool isWheelSelector(int32_t index) {
    return (index | 0x20) == (fourCC("stCA") | 0x20);
}

} // namespace

TessuVST::TessuVST(AudioMasterCallback audioMaster) : AudioEffectX(audioMaster, 0, 0) {
    midiQueue_.reserve(kMidiQueueCapacity);
    defaultTimeInfo_.sampleRate = 44100.0;
    defaultTimeInfo_.tempo = 120.0;
    chooseAndCreateEffect();
    if (!effect_ || descriptor_.uniqueID == 0) return;

    category_ = kPlugCategUnknown;
    setInitialDelay(effect_->getLatency());
    for (int32_t i = 0; i < effect_->getHostParameterCount(); ++i)
        if (ParameterProperty* parameter = effect_->getHostParameter(i)) parameter->addListener(this, false);

    setUniqueID(descriptor_.uniqueID);
    inputPairs_ = descriptor_.numInputPairs;
    outputPairs_ = descriptor_.numOutputPairs;
    if (descriptor_.hasSideChain) {
        char product[kVstMaxProductStrLen + 1] = {};
        getHostProductString(product);
        std::string lower(product);
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (lower != "cubase" || getHostVendorVersion() > 6999) ++inputPairs_;
    }
    numInputChannels_ = 2 * inputPairs_;
    numOutputChannels_ = 2 * outputPairs_;
    AudioEffectX::setNumInputs(numInputChannels_);
    AudioEffectX::setNumOutputs(numOutputChannels_);
    if (descriptor_.type == kPluginTypeInstrument && plugins_.count() < 2) {
        announcedInstrument_ = true;
        setFlag(effFlagsIsSynth, true);
        category_ = kPlugCategSynth;
    }
    setFlag(effFlagsProgramChunks, true);
    setFlag(effFlagsCanDoubleReplacing, false);
    aeffect_.numPrograms = descriptor_.numPrograms;
    aeffect_.numParams = effect_->getHostParameterCount();
    if (effect_->getEditor()) {
        editor_ = std::make_unique<CTessuVST2_Editor>(effect_->getEditor());
        setFlag(effFlagsHasEditor, true);
    }
    resizeBuffers();
    effect_->setSampleRate(sampleRate_);
    effect_->setBlockSize(blockSize_);
}

TessuVST::~TessuVST() {
    editor_.reset();
    delete effect_;
}

void TessuVST::chooseAndCreateEffect() {
    plugins_ = buildPluginList();
    int32_t id = plugins_[0].uniqueID;
    if (plugins_.count() >= 2) {
        // Several plug-ins in one library: act as a shell and let the host pick.
        setUniqueID(0);
        id = canHostDo("shellCategory") ? int32_t(callHost(audioMasterCurrentId)) : plugins_[0].uniqueID;
        if (id == 0) return;
    }
    effect_ = createTessuInstance(this, id);
    if (!effect_) return;
    for (int32_t i = 0; i < plugins_.count(); ++i)
        if (plugins_[i].uniqueID == id) descriptor_ = plugins_[i];
}

void TessuVST::resizeBuffers() {
    auto frames = uint32_t(std::max(blockSize_, 1));
    inputBuffer_.resize(frames, uint32_t(std::max({2 * descriptor_.numInputPairs, numInputChannels_, 2})));
    outputBuffer_.resize(frames, uint32_t(std::max({2 * descriptor_.numOutputPairs, numOutputChannels_, 2})));
}

void TessuVST::setBlockSize(int32_t frames) {
    ProcessingGate::Reconfiguration stopped(gate_);
    blockSize_ = std::max(frames, 1);
    if (effect_) effect_->setBlockSize(frames);
    resizeBuffers();
}

VstIntPtr TessuVST::dispatcher(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
    case effClose:
        return 0;
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
        return ptr ? dispatchText(opcode, index, static_cast<char*>(ptr)) : 0;
    case effSetSampleRate: {
        ProcessingGate::Reconfiguration stopped(gate_);
        sampleRate_ = opt;
        if (effect_) effect_->setSampleRate(opt);
        return 0;
    }
    case effSetBlockSize:
        setBlockSize(int32_t(value));
        return 0;
    case effMainsChanged:
        if (effect_) effect_->reset();
        if (value && (announcedInstrument_ || canDo("receiveVstMidiEvent") == 1))
            callHost(audioMasterWantMidi, 0, 1);
        return 0;
    case effEditGetRect:
        return editor_ ? editor_->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen:
        return editor_ ? editor_->open(ptr) : 0;
    case effEditClose:
        if (editor_) editor_->close();
        return 0;
    case effEditIdle:
        if (editor_ && editor_->isOpen()) editor_->idle();
        return 0;
    case effIdentify:
        return fourCC("NvEf");
    case effGetVendorVersion:
        return descriptor_.version;
    case effVendorSpecific:
        return dispatchVendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return ptr ? canDo(static_cast<const char*>(ptr)) : 0;
    case effGetTailSize:
        return 0;
    case effGetVstVersion:
        return 2400;
    case effEditKeyDown:
    case effEditKeyUp: {
        if (!editor_) return 0;
        // Hosts send the character in index, the virtual key in value and the modifier bits in opt.
        VstKeyCode key{index, uint8_t(value), uint8_t(opt)};
        return opcode == effEditKeyDown ? editor_->onKeyDown(key) : editor_->onKeyUp(key);
    }
    case effGetCurrentMidiProgram:
        return -1;
    case effGetSpeakerArrangement:
        if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = nullptr;
        if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = nullptr;
        return 0;
    case effShellGetNextPlugin:
        return ptr ? shellGetNextPlugin(static_cast<char*>(ptr)) : 0;
    case effSetTotalSampleToProcess:
        return value;
    case effBeginLoadBank:
    case effBeginLoadProgram:
        return 1;
    case effGetNumMidiInputChannels:
    case effGetNumMidiOutputChannels:
        return descriptor_.takesMidi() ? descriptor_.numMidiChannels : 0;
    case effGetInputProperties:
    case effGetOutputProperties:
        return ptr ? getPinProperties(opcode == effGetInputProperties, index,
                                      static_cast<VstPinProperties*>(ptr))
                   : 0;
    case effGetPlugCategory:
        return announcedInstrument_ ? kPlugCategSynth : category_;
    case effProcessEvents:
        return queueMidi(static_cast<const VstEvents*>(ptr));
    default:
        break;
    }

    // Requests below need the effect; a shell without one answers neutrally.
    if (!effect_) return 0;
    switch (opcode) {
    case effSetProgram:
        effect_->setProgram(int32_t(value));
        return 0;
    case effGetProgram:
        return effect_->getProgram();
    case effSetProgramName:
        if (ptr) effect_->setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr) effect_->getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramNameIndexed:
        return ptr ? effect_->getProgramNameIndexed(index, static_cast<char*>(ptr)) : 0;
    case effGetChunk:
        if (!ptr) return 0;
        return index ? effect_->getPresetChunk(static_cast<void**>(ptr))
                     : effect_->getBankChunk(static_cast<void**>(ptr));
    case effSetChunk:
        effect_->clearPendingChanges();
        if (ptr && value > 0) {
            if (index)
                effect_->setPresetChunk(ptr, int32_t(value));
            else
                effect_->setBankChunk(ptr, int32_t(value));
        }
        updateDisplay();
        return value;
    case effCanBeAutomated: {
        ParameterProperty* parameter = effect_->getHostParameter(index);
        return parameter && parameter->isAutomatable() ? 1 : 0;
    }
    case effSetSpeakerArrangement: {
        auto* in = reinterpret_cast<VstSpeakerArrangement*>(value);
        auto* out = static_cast<VstSpeakerArrangement*>(ptr);
        ProcessingGate::Reconfiguration stopped(gate_);
        if (in) numInputChannels_ = in->numChannels;
        if (out) numOutputChannels_ = out->numChannels;
        resizeBuffers();
        return 1;
    }
    case effSetBypass:
        // No reset here: the fade to bypass clears the DSP state itself when it ends, and a reset at its
        // start would cut the signal the fade has to blend.
        effect_->setBypass(value != 0);
        return 1;
    case effGetParameterProperties:
        return ptr ? getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) : 0;
    default:
        return 0;
    }
}

VstIntPtr TessuVST::dispatchText(int32_t opcode, int32_t index, char* text) {
    text[0] = 0;
    switch (opcode) {
    case effGetEffectName:
        copyText(text, descriptor_.name, kVstMaxEffectNameLen);
        return 1;
    case effGetVendorString:
        copyText(text, descriptor_.vendor, kVstMaxVendorStrLen);
        return 1;
    case effGetProductString:
        copyText(text, descriptor_.product, kVstMaxProductStrLen);
        return 1;
    default:
        break;
    }
    ParameterProperty* parameter = effect_ ? effect_->getHostParameter(index) : nullptr;
    if (!parameter) return 0;
    // Hosts reserve little room for these texts; the parameter's own texts are short.
    if (opcode == effGetParamLabel) copyText(text, parameter->getUnit(), kVstMaxParamStrLen + 1);
    if (opcode == effGetParamName) copyText(text, parameter->getLongName(), kVstMaxProgNameLen + 1);
    if (opcode == effGetParamDisplay) {
        char display[256] = {};
        formatCurrentValue(parameter, display, true, false, true);
        copyText(text, display, kVstMaxProgNameLen + 1);
    }
    return 0;
}

VstIntPtr TessuVST::dispatchVendorSpecific(int32_t index, VstIntPtr value, void* ptr, float opt) {
    // Hosts that know the screen's scale announce it before opening the editor.
    if (index == fourCC("PreS") && value == fourCC("AeCs")) {
        if (editor_) editor_->setHostScale(opt);
        return editor_ ? 1 : 0;
    }
    // Our own tools: a fixed editor scale, and the editor drawn into the caller's pixels.
    if (index == fourCC("KvED") && editor_) {
        if (value == fourCC("Scal")) {
            editor_->setFixedScale(opt);
            return 1;
        }
        if (value == fourCC("Live")) {
            editor_->keepOffscreen(opt > 0.5f);
            return 1;
        }
        if (value == fourCC("Clik") && ptr) {
            const auto* at = static_cast<const int32_t*>(ptr);
            return editor_->clickOffscreen(at[0], at[1]) ? 1 : 0;
        }
        if (value == fourCC("Snap") && ptr)
            return editor_->renderOffscreen(*static_cast<EditorPixels*>(ptr)) ? 1 : 0;
    }
    if (value == fourCC("Whee") && isWheelSelector(index)) {
        if (editor_) editor_->onWheel(opt);
        return 1;
    }
    if (value == fourCC("kRST") && index == fourCC("kAud")) {
        if (effect_) effect_->reset();
        return 1;
    }
    return 0;
}

VstIntPtr TessuVST::canDo(const char* text) const {
    if (!std::strcmp(text, "receiveVstMidiEvent") || !std::strcmp(text, "sendVstMidiEvent") ||
        !std::strcmp(text, "receiveVstEvents"))
        return descriptor_.takesMidi() ? 1 : 0;
    if (!std::strcmp(text, "receiveVstTimeInfo") || !std::strcmp(text, "bypass")) return 1;
    return 0;
}

VstIntPtr TessuVST::queueMidi(const VstEvents* events) {
    if (!events) return 1;
    for (int32_t i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType || midiQueue_.size() == midiQueue_.capacity()) continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        MidiEventRecord record;
        record.deltaFrames = midi->deltaFrames;
        record.status = uint8_t(midi->midiData[0]);
        record.data1 = uint8_t(midi->midiData[1]);
        record.data2 = uint8_t(midi->midiData[2]);
        record.kind = record.status & 0xF0;
        record.velocity = float(record.data2 & 0x7F) / 127.0f;
        midiQueue_.push_back(record);
    }
    return 1;
}

VstIntPtr TessuVST::getPinProperties(bool input, int32_t index, VstPinProperties* pin) const {
    int32_t pairs = input ? descriptor_.numInputPairs : outputPairs_;
    if (index < 0 || index >= 2 * pairs) return 0;
    std::memset(pin, 0, sizeof(*pin));
    if (!input) std::strncpy(pin->label, descriptor_.name, sizeof(pin->label) - 1);
    pin->flags = kVstPinIsActive | kVstPinIsStereo;
    pin->arrangementType = kSpeakerArrStereo;
    return 1;
}

VstIntPtr TessuVST::getParameterProperties(int32_t index, VstParameterProperties* properties) {
    std::memset(properties, 0, sizeof(*properties));
    ParameterProperty* parameter = effect_->getHostParameter(index);
    if (!parameter) return 0;
    std::strncpy(properties->label, parameter->getName(), sizeof(properties->label) - 1);
    // Eight characters fill the short label; the zeroed field after it ends the text.
    const char* name = parameter->getName();
    std::memcpy(properties->shortLabel, name, strnlen(name, sizeof(properties->shortLabel)));
    return 1;
}

VstIntPtr TessuVST::shellGetNextPlugin(char* name) {
    category_ = kPlugCategUnknown;
    if (shellIndex_ < plugins_.count()) {
        const PluginDescriptor& entry = plugins_[shellIndex_++];
        copyText(name, entry.name, kVstMaxEffectNameLen + 1);
        return entry.uniqueID;
    }
    shellIndex_ = 0;
    name[0] = 0;
    return 0;
}

const VstTimeInfo& TessuVST::timeInfo(int32_t filter) {
    auto* info = reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
    return info ? *info : defaultTimeInfo_;
}

int32_t TessuVST::samplesToNextBeat(double tempo, double rate, double ppqPos) {
    double t = std::max(tempo, 10.0);
    auto s = int64_t((60.0 / t) * rate);
    if (s <= 0) return 0;
    int64_t next = s - (int64_t(double(s) * ppqPos) % s);
    return int32_t(std::max<int64_t>(next, 0));
}

// Host blocks longer than the announced block size are processed in pieces of the buffers' size: nothing
// is allocated here.
void TessuVST::processReplacing(float** inputs, float** outputs, int32_t frames) {
    if (!effect_ || frames < 0) return;
    if (!gate_.tryEnter()) {
        for (int32_t c = 0; c < numOutputChannels_; ++c) vec::zero(outputs[c], size_t(frames));
        return;
    }
    if (!midiQueue_.empty()) {
        effect_->processMidiEvents(midiQueue_);
        midiQueue_.clear();
    }
    const VstTimeInfo& time = timeInfo(kAllTimeInfo);
    fillContext(time, frames);
    effect_->prepareBlock(context_, frames);
    const double beatsPerFrame = 1.0 / ((60.0 / time.tempo) * sampleRate_);
    for (int32_t offset = 0; offset < frames; offset += blockSize_)
        processPiece(inputs, outputs, offset, std::min(blockSize_, frames - offset), beatsPerFrame);
    effect_->clearPendingChanges();
    gate_.leave();
}

void TessuVST::fillContext(const VstTimeInfo& time, int32_t frames) {
    context_.samplePos = time.samplePos;
    context_.ppqPos = time.ppqPos;
    context_.barStartPos = time.barStartPos;
    context_.tempo = float(time.tempo);
    context_.samplesToNextBeat = samplesToNextBeat(time.tempo, sampleRate_, time.ppqPos);
    context_.transportChanged = time.flags & kVstTransportChanged;
    context_.playing = time.flags & kVstTransportPlaying;
    context_.cycleActive = time.flags & kVstTransportCycleActive;
    context_.recording = time.flags & kVstTransportRecording;
    context_.automationWriting = time.flags & kVstAutomationWriting;
    context_.automationReading = time.flags & kVstAutomationReading;
    context_.frames = frames;
}

void TessuVST::processPiece(float** inputs, float** outputs, int32_t offset, int32_t frames,
                            double beatsPerFrame) {
    inputBuffer_.copyIn(inputs, uint32_t(numInputChannels_), uint32_t(frames), uint32_t(offset));
    if (numInputChannels_ < 2) vec::copy(inputBuffer_.channel(0), inputBuffer_.channel(1), size_t(frames));
    context_.build(inputBuffer_.channels(), int32_t(inputBuffer_.numChannels() / 2), outputBuffer_.channels(),
                   int32_t(outputBuffer_.numChannels() / 2), frames);

    processInSubBlocks(*effect_, context_, frames, beatsPerFrame, [this](int32_t& n) {
        if (effect_->getChangeQuantize() != TessuOS::kQuantizeOff) {
            echoOf(this).applyingHostChange = true;
            effect_->applyDueChanges(n);
            echoOf(this).applyingHostChange = false;
        }
    });
    outputBuffer_.copyOut(outputs, uint32_t(numOutputChannels_), uint32_t(frames), uint32_t(offset));
}

void TessuVST::setParameter(int32_t index, float value) {
    HostEcho& echo = echoOf(this);
    // The host answering our own automation message.
    if (echo.automatingToHost && !echo.applyingHostChange) return;
    echo.automatingToHost = false;
    ParameterProperty* parameter = effect_ && index >= 0 && index <= effect_->getParameterCount()
                                       ? effect_->getHostParameter(index)
                                       : nullptr;
    if (!parameter) return;
    echo.applyingHostChange = true;
    if (!effect_->queueParameterChange(parameter, value, 0)) parameter->setNormalizedValue(value);
    echoOf(this).applyingHostChange = false;
}

float TessuVST::getParameter(int32_t index) {
    ParameterProperty* parameter = effect_ ? effect_->getHostParameter(index) : nullptr;
    return parameter ? parameter->getNormalizedValue() : 0.0f;
}

void TessuVST::parameterChanged(IPluginParameter* changed) {
    HostEcho& echo = echoOf(this);
    if (echo.applyingHostChange) {
        if (!echo.automatingToHost) return;
        echo.applyingHostChange = false;
    }
    auto* parameter = static_cast<ParameterProperty*>(changed);
    if (parameter && parameter->isAutomatable() && parameter->getHostIndex() >= 0 && audioMaster_)
        automate(parameter->getHostIndex(), parameter->getNormalizedValue());
}

void TessuVST::idle() {
    callHost(audioMasterIdle);
}

void TessuVST::updateDisplay() {
    callHost(audioMasterUpdateDisplay);
}

void TessuVST::ioChanged() {
    callHost(audioMasterIOChanged);
}

void TessuVST::setNumInputs(int32_t pairs) {
    inputPairs_ = pairs;
    numInputChannels_ = 2 * pairs;
    AudioEffectX::setNumInputs(numInputChannels_);
    ioChanged();
}

void TessuVST::setNumOutputs(int32_t pairs) {
    outputPairs_ = pairs;
    numOutputChannels_ = 2 * pairs;
    AudioEffectX::setNumOutputs(numOutputChannels_);
    ioChanged();
}

void TessuVST::setLatency(int32_t samples) {
    setInitialDelay(samples);
    ioChanged();
}

int32_t TessuVST::beginEdit(int32_t hostIndex) {
    if (hostIndex >= 0) callHost(audioMasterBeginEdit, hostIndex);
    return 1;
}

int32_t TessuVST::endEdit(int32_t hostIndex) {
    if (hostIndex >= 0) callHost(audioMasterEndEdit, hostIndex);
    return 1;
}

void TessuVST::automate(int32_t hostIndex, float value) {
    if (hostIndex < 0) return;
    echoOf(this).automatingToHost = true;
    callHost(audioMasterAutomate, hostIndex, 0, nullptr, value);
    echoOf(this).automatingToHost = false;
}

bool TessuVST::sizeWindow(int32_t width, int32_t height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

bool TessuVST::canResizeWindow() {
    return canHostDo("sizeWindow");
}

float TessuVST::getTempo() {
    auto* info = reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, kVstTempoValid));
    return float(info ? info->tempo : defaultTimeInfo_.tempo);
}

} // namespace Tessu
