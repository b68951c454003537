// Non-interleaved 32-bit float audio between the host adapter and the effect: the adapter's channel
// buffers, stereo buses that view or own memory, and the per-call process context.
#pragma once

#include <cstdint>
#include <mutex>

namespace Tessu {

class CNChannelBuffer {
public:
    CNChannelBuffer() = default;
    CNChannelBuffer(const CNChannelBuffer&) = delete;
    CNChannelBuffer& operator=(const CNChannelBuffer&) = delete;
    virtual ~CNChannelBuffer();

    // Discards the old content; every channel comes back zero-filled.
    void resize(uint32_t frames, uint32_t channels);
    // Frames from or to offset of the outside channels, to the start of ours.
    void copyIn(float* const* source, uint32_t n, uint32_t frames, uint32_t offset = 0);
    void copyOut(float* const* destination, uint32_t n, uint32_t frames, uint32_t offset = 0) const;
    void clear();

    float** channels() const { return channels_; }
    float* channel(uint32_t i) const { return channels_[i]; }
    uint32_t numChannels() const { return numChannels_; }
    uint32_t numFrames() const { return numFrames_; }

    bool tryLock() { return lock_.try_lock(); }
    void unlock() { lock_.unlock(); }

private:
    void freeChannels();

    float** channels_ = nullptr;
    uint32_t numChannels_ = 0;
    uint32_t numFrames_ = 0;
    std::mutex lock_;
};

class AudioStereoBus {
public:
    enum Storage : int32_t { kNone = -1, kView = 0, kOwned = 1 };

    AudioStereoBus() = default;
    AudioStereoBus(const AudioStereoBus&) = delete;
    AudioStereoBus& operator=(const AudioStereoBus&) = delete;
    ~AudioStereoBus() { release(); }

    void setView(float* const pair[2], int32_t frames);
    void allocate(int32_t frames);
    void release();
    // Throws std::length_error when a bus that does not own its memory is too small.
    void copyFrom(const float* const* source, int32_t frames);
    void clear(int32_t frames);
    void advance(int32_t frames);
    void measurePeaks(int32_t frames, float& peakLeft, float& peakRight) const;

    float* left = nullptr;
    float* right = nullptr;
    int32_t capacity = 0;
    int32_t capacityBytes = 0;
    int32_t storage = kNone;
    int32_t reserved = 0;
};

struct ProcessContext {
    static constexpr int32_t kMaxBuses = 24;

    ProcessContext() = default;
    ProcessContext(const ProcessContext&) = delete;
    ProcessContext& operator=(const ProcessContext&) = delete;

    void build(float* const* inputChannels, int32_t inputPairs, float* const* outputChannels,
               int32_t outputPairs, int32_t frames);
    void advanceInputs(int32_t n);
    void advanceOutputs(int32_t n);

    AudioStereoBus inputs[kMaxBuses];
    AudioStereoBus outputs[kMaxBuses];
    int32_t numInputs = 0;
    int32_t numOutputs = 0;
    int32_t frames = 0;
    double samplePos = 0.0;
    double ppqPos = 0.0;
    double barStartPos = 0.0;
    float tempo = 0.0f;
    int32_t samplesToNextBeat = 0;
    bool transportChanged = false;
    bool playing = false;
    bool cycleActive = false;
    bool recording = false;
    bool automationWriting = false;
    bool automationReading = false;
};

} // namespace Tessu
