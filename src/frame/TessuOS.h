// The format-neutral effect interface. An adapter owns one TessuOS and turns every host request into a
// call of these operations; the effect reaches the host only through its TessuCallback.
#pragma once

#include "frame/AudioBuses.h"
#include "frame/MidiEventRecord.h"
#include "frame/PendingChanges.h"
#include "frame/PluginEditor.h"
#include "frame/TessuCallback.h"
#include "params/IPluginParameter.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace Tessu {

class ParameterProperty;

class TessuOS : public ParameterChangeListener {
public:
    // Change quantisation divisions: whole note .. 1/32 note.
    enum NoteDivision : int32_t { kWhole, kHalf, kQuarter, kEighth, kSixteenth, kThirtySecond };
    static constexpr int32_t kQuantizeOff = -1;

    explicit TessuOS(TessuCallback* callback);
    ~TessuOS() override;

    void parameterChanged(IPluginParameter*) override {}
    virtual void setProgramName(char*) {}
    virtual bool getProgramName(char* name);
    virtual bool getProgramNameIndexed(int32_t, char*) { return false; }
    virtual ParameterProperty* findParameterByKey(const char*) { return nullptr; }
    virtual ParameterProperty* getParameterAt(int32_t) { return nullptr; }
    virtual ParameterProperty* findParameterById(int32_t) { return nullptr; }
    virtual ParameterProperty* getHostParameter(int32_t index) { return getParameterAt(index); }
    virtual int32_t indexOfHostParameter(ParameterProperty* parameter);
    virtual int32_t getParameterCount() { return 0; }
    virtual int32_t getHostParameterCount() { return getParameterCount(); }
    virtual void process(ProcessContext&) {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual float getSampleRate() { return sampleRate; }
    virtual void setBlockSize(int32_t frames) { blockSize = frames; }
    virtual int32_t getBlockSize() { return blockSize; }
    virtual void handleMidiEvent(MidiEventRecord*) {}
    virtual void processMidiEvents(std::vector<MidiEventRecord>& events);
    virtual int32_t getPresetChunk(void**) { return 0; }
    virtual void setPresetChunk(void*, int32_t) {}
    virtual int32_t getBankChunk(void** data) { return getPresetChunk(data); }
    virtual void setBankChunk(void* data, int32_t size) { setPresetChunk(data, size); }
    virtual void setProgram(int32_t program) { currentProgram = program; }
    virtual int32_t getProgram() { return currentProgram; }
    virtual void setLatency(int32_t samples);
    virtual int32_t getLatency() { return latency; }
    virtual int32_t reservedQuery() { return 0; }
    virtual void activate() {}
    virtual void deactivate() {}
    virtual void reset();
    virtual void beginEdit(ParameterProperty* parameter);
    virtual void beginEdit(int32_t index);
    virtual void endEdit(ParameterProperty* parameter);
    virtual void endEdit(int32_t index);
    virtual void automate(ParameterProperty* parameter);
    virtual void automate(int32_t index, float value);
    virtual void beginUpdate() {}
    virtual void endUpdate() {}
    virtual void setBypass(bool bypass);
    virtual bool isBypassed() { return bypassed.load(std::memory_order_relaxed); }
    virtual void setNumInputPairs(int32_t pairs);
    virtual void setNumOutputPairs(int32_t pairs);
    virtual int32_t getNumInputPairs() { return inputPairs; }
    virtual int32_t getNumOutputPairs() { return outputPairs; }
    virtual void idle();
    virtual float getTempo();
    virtual int32_t getMaxBlockSize() { return -1; }
    virtual const char* getWrapperName();
    virtual bool applyParameterChange(int32_t, float) { return false; }
    virtual void setChangeQuantize(int32_t division);
    virtual int32_t getChangeQuantize();

    // Host parameter changes at a quantised frame offset. Queueing (any thread) declines while
    // quantisation is off, and the caller applies the change at once; the rest runs on the audio thread.
    bool queueParameterChange(ParameterProperty* parameter, float normalizedValue, int32_t delay);
    void prepareBlock(ProcessContext& context, int32_t frames);
    void applyDueChanges(int32_t& subBlockFrames);
    void clearPendingChanges() { pendingChanges.clear(); }
    std::vector<PendingParameterChange> getPendingChanges() const { return pendingChanges.snapshot(); }

    IPluginEditor* getEditor() const { return editor; }
    TessuCallback* getCallback() const { return callback; }

    // Frames from a sample position to the next boundary of a note division; 0 on a boundary.
    static int32_t framesToNextBoundary(double position, double tempo, double rate, int32_t division);

protected:
    int32_t latency = 0;
    int32_t blockSize = 0;
    float sampleRate = 44100.0f;
    int32_t reservedWord = 0;
    ProcessContext buses;
    IPluginEditor* editor = nullptr;
    int32_t currentProgram = 0;
    TessuCallback* callback;
    // Set from any thread, read by the audio thread.
    std::atomic<bool> bypassed{false};
    int32_t inputPairs = 1;
    int32_t outputPairs = 1;
    PendingChangeList pendingChanges;
};

} // namespace Tessu
