#include "frame/AudioBuses.h"

#include "frame/VectorOps.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Tessu {

CNChannelBuffer::~CNChannelBuffer() {
    freeChannels();
}

void CNChannelBuffer::freeChannels() {
    for (uint32_t i = 0; i < numChannels_; ++i) vec::release(channels_[i]);
    delete[] channels_;
    channels_ = nullptr;
    numChannels_ = 0;
    numFrames_ = 0;
}

void CNChannelBuffer::resize(uint32_t frames, uint32_t channels) {
    freeChannels();
    channels_ = new float*[std::max<uint32_t>(channels, 1)];
    for (uint32_t i = 0; i < channels; ++i) channels_[i] = vec::allocate(frames);
    numChannels_ = channels;
    numFrames_ = frames;
}

void CNChannelBuffer::copyIn(float* const* source, uint32_t n, uint32_t frames, uint32_t offset) {
    for (uint32_t i = 0; i < std::min(n, numChannels_); ++i)
        vec::copy(source[i] + offset, channels_[i], frames);
}

void CNChannelBuffer::copyOut(float* const* destination, uint32_t n, uint32_t frames, uint32_t offset) const {
    for (uint32_t i = 0; i < std::min(n, numChannels_); ++i)
        vec::copy(channels_[i], destination[i] + offset, frames);
}

void CNChannelBuffer::clear() {
    for (uint32_t i = 0; i < numChannels_; ++i) vec::zero(channels_[i], numFrames_);
}

void AudioStereoBus::setView(float* const pair[2], int32_t frames) {
    release();
    left = pair[0];
    right = pair[1];
    capacity = frames;
    capacityBytes = frames * 4;
    storage = kView;
}

void AudioStereoBus::allocate(int32_t frames) {
    release();
    left = vec::allocate(static_cast<size_t>(frames));
    right = vec::allocate(static_cast<size_t>(frames));
    capacity = frames;
    capacityBytes = frames * 4;
    storage = kOwned;
}

void AudioStereoBus::release() {
    if (storage == kOwned) {
        vec::release(left);
        vec::release(right);
    }
    left = right = nullptr;
    capacity = capacityBytes = 0;
    storage = kNone;
}

void AudioStereoBus::copyFrom(const float* const* source, int32_t frames) {
    if (frames > capacity) {
        if (storage != kOwned)
            throw std::length_error("AudioStereoBus::copyFrom( float**, long): DST < SRC\n");
        allocate(frames);
    }
    vec::copy(source[0], left, static_cast<size_t>(frames));
    vec::copy(source[1], right, static_cast<size_t>(frames));
}

void AudioStereoBus::clear(int32_t frames) {
    size_t n = static_cast<size_t>(frames == 0 ? capacity : frames);
    if (left) vec::zero(left, n);
    if (right) vec::zero(right, n);
}

void AudioStereoBus::advance(int32_t frames) {
    if (storage != kView) return;
    left += frames;
    right += frames;
}

void AudioStereoBus::measurePeaks(int32_t frames, float& peakLeft, float& peakRight) const {
    auto peakOf = [frames](const float* x) {
        return std::max(std::fabs(vec::maximum(x, size_t(frames))),
                        std::fabs(vec::minimum(x, size_t(frames))));
    };
    peakLeft = std::max(peakLeft, peakOf(left));
    peakRight = std::max(peakRight, peakOf(right));
}

void ProcessContext::build(float* const* inputChannels, int32_t inputPairs, float* const* outputChannels,
                           int32_t outputPairs, int32_t frameCount) {
    for (auto& bus : inputs) bus.release();
    for (auto& bus : outputs) bus.release();
    numInputs = std::clamp(inputPairs, 0, kMaxBuses);
    numOutputs = std::clamp(outputPairs, 0, kMaxBuses);
    for (int32_t i = 0; i < numInputs; ++i) inputs[i].setView(inputChannels + 2 * i, frameCount);
    for (int32_t i = 0; i < numOutputs; ++i) outputs[i].setView(outputChannels + 2 * i, frameCount);
    frames = frameCount;
}

void ProcessContext::advanceInputs(int32_t n) {
    for (int32_t i = 0; i < numInputs; ++i) inputs[i].advance(n);
}

void ProcessContext::advanceOutputs(int32_t n) {
    for (int32_t i = 0; i < numOutputs; ++i) outputs[i].advance(n);
}

} // namespace Tessu
