#include "frame/lv2/TessuLV2.h"

#include "frame/SubBlocks.h"
#include "frame/lv2/PortLayout.h"
#include "frame/lv2/PortValues.h"
#include "params/ParameterProperty.h"

#include <lv2/atom/util.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace Tessu::lv2 {

namespace {

// Used when the host announces no largest block; longer host blocks are processed in pieces.
constexpr int32_t kDefaultBlockSize = 4096;

} // namespace

TessuLV2::TessuLV2(Factory factory, double sampleRate, LV2_URID_Map* map, int32_t maxBlockLength)
    : chunkUrid_(map ? map->map(map->handle, kChunkUri) : 0),
      appliedPortsUrid_(map ? map->map(map->handle, kAppliedPortsUri) : 0),
      chunkType_(map ? map->map(map->handle, LV2_ATOM__Chunk) : 0), transport_(map), sampleRate_(sampleRate),
      blockSize_(maxBlockLength > 0 ? maxBlockLength : kDefaultBlockSize) {
    effect_.reset(factory(this));
    if (!effect_) return;
    // The ports' defaults are these start values, so a new instance's first block applies only real moves.
    for (int32_t i = 0; i < kParameterPorts; ++i)
        if (ParameterProperty* parameter = effect_->getHostParameter(i))
            lastPortValues_[size_t(i)].store(portValue(*parameter, parameter->getValue()),
                                             std::memory_order_relaxed);
    inputBuffer_.resize(uint32_t(blockSize_), 2);
    outputBuffer_.resize(uint32_t(blockSize_), 2);
    effect_->setSampleRate(float(sampleRate));
    effect_->setBlockSize(blockSize_);
}

TessuLV2::~TessuLV2() = default;

void TessuLV2::connectPort(uint32_t port, void* data) {
    switch (port) {
    case kInputLeft:
    case kInputRight:
        inputs_[port - kInputLeft] = static_cast<const float*>(data);
        return;
    case kOutputLeft:
    case kOutputRight:
        outputs_[port - kOutputLeft] = static_cast<float*>(data);
        return;
    case kControl:
        control_ = static_cast<const LV2_Atom_Sequence*>(data);
        return;
    case kEnabled:
        enabled_ = static_cast<const float*>(data);
        return;
    case kLatency:
        latency_ = static_cast<float*>(data);
        return;
    default:
        if (port - kFirstParameter < uint32_t(kParameterPorts))
            parameterPorts_[port - kFirstParameter] = static_cast<const float*>(data);
    }
}

void TessuLV2::activate() {
    if (effect_) effect_->reset();
}

// Runs on the audio thread: a moved port sets its parameter, whose listener posts the change to the
// effect's inbox, applied when the next sub-block starts. Nothing here allocates.
void TessuLV2::readControlPorts() {
    const bool adopt = adoptPorts_.exchange(false, std::memory_order_acquire);
    for (int32_t i = 0; i < kParameterPorts; ++i) {
        const float value = movedPortValue(i);
        if (std::isnan(value)) continue;
        if (!adopt) applyPortValue(i, value);
        lastPortValues_[size_t(i)].store(value, std::memory_order_release);
    }
    if (enabled_ && std::isfinite(*enabled_) && *enabled_ != lastEnabled_) {
        lastEnabled_ = *enabled_;
        effect_->setBypass(lastEnabled_ < 0.5f);
    }
}

float TessuLV2::movedPortValue(int32_t i) const {
    const float* port = parameterPorts_[size_t(i)];
    const float value = port ? *port : std::numeric_limits<float>::quiet_NaN();
    const bool moved =
        std::isfinite(value) && value != lastPortValues_[size_t(i)].load(std::memory_order_relaxed);
    return moved ? value : std::numeric_limits<float>::quiet_NaN();
}

void TessuLV2::applyPortValue(int32_t i, float value) {
    ParameterProperty* parameter = effect_->getHostParameter(i);
    if (!parameter) return;
    const float plain = plainValue(*parameter, value);
    if (parameter->getValue() != plain) parameter->setValue(plain);
}

// Position events anywhere in the block apply from its start, as the VST 2.4 adapter reads the host's
// time information once per block.
void TessuLV2::readTransport() {
    if (!control_) return;
    LV2_ATOM_SEQUENCE_FOREACH(control_, event) {
        transport_.read(&event->body);
    }
}

void TessuLV2::run(uint32_t frames) {
    if (!effect_) return;
    readControlPorts();
    readTransport();
    if (latency_) *latency_ = float(effect_->getLatency());
    if (!inputs_[0] || !inputs_[1] || !outputs_[0] || !outputs_[1]) return;
    transport_.fill(context_, sampleRate_);
    for (uint32_t offset = 0; offset < frames; offset += uint32_t(blockSize_))
        processPiece(offset, int32_t(std::min(uint32_t(blockSize_), frames - offset)));
    transport_.advance(int32_t(frames), sampleRate_);
}

void TessuLV2::processPiece(uint32_t offset, int32_t frames) {
    float* const inputs[2] = {const_cast<float*>(inputs_[0]), const_cast<float*>(inputs_[1])};
    inputBuffer_.copyIn(inputs, 2, uint32_t(frames), offset);
    context_.build(inputBuffer_.channels(), 1, outputBuffer_.channels(), 1, frames);

    const double beatsPerFrame = context_.tempo / (60.0 * sampleRate_);
    processInSubBlocks(*effect_, context_, frames, beatsPerFrame, [](int32_t&) {});
    outputBuffer_.copyOut(outputs_.data(), 2, uint32_t(frames), offset);
}

LV2_State_Status TessuLV2::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    if (!chunkUrid_) return LV2_STATE_ERR_NO_FEATURE;
    // The applied values first: run() sets a parameter before it records its port as applied, so every
    // port recorded here is already in the chunk taken after it. A port run() applies in between is in the
    // chunk but not recorded, and a restore applies it again, to the same value.
    std::array<float, kParameterPorts> applied;
    for (size_t i = 0; i < applied.size(); ++i)
        applied[i] = lastPortValues_[i].load(std::memory_order_acquire);
    void* chunk = nullptr;
    const int32_t size = effect_ ? effect_->getPresetChunk(&chunk) : 0;
    if (size <= 0 || !chunk) return LV2_STATE_ERR_UNKNOWN;
    const LV2_State_Status status =
        store(handle, appliedPortsUrid_, applied.data(), sizeof(applied), chunkType_, LV2_STATE_IS_POD);
    if (status != LV2_STATE_SUCCESS) return status;
    return store(handle, chunkUrid_, chunk, size_t(size), chunkType_,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status TessuLV2::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    if (!chunkUrid_) return LV2_STATE_ERR_NO_FEATURE;
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* data = retrieve(handle, chunkUrid_, &size, &type, &flags);
    if (!effect_ || !data) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != chunkType_ || size == 0 || size > size_t(std::numeric_limits<int32_t>::max()))
        return LV2_STATE_ERR_BAD_TYPE;
    // Reading a chunk unscrambles it in place; the host's copy stays as it is.
    std::vector<uint8_t> chunk(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    effect_->setPresetChunk(chunk.data(), int32_t(chunk.size()));
    restoreAppliedPorts(retrieve, handle);
    return LV2_STATE_SUCCESS;
}

void TessuLV2::restoreAppliedPorts(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* data = retrieve(handle, appliedPortsUrid_, &size, &type, &flags);
    if (!data || type != chunkType_ || size != sizeof(float) * kParameterPorts) {
        adoptPorts_.store(true, std::memory_order_release);
        return;
    }
    std::array<float, kParameterPorts> applied;
    std::memcpy(applied.data(), data, sizeof(applied));
    for (size_t i = 0; i < applied.size(); ++i)
        lastPortValues_[i].store(applied[i], std::memory_order_relaxed);
    adoptPorts_.store(false, std::memory_order_release);
}

} // namespace Tessu::lv2
