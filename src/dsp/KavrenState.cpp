// The effect's complete state as one chunk: for hosts' projects and, behind a file header, for presets.
#include "core/ResourceStoreAccess.h"
#include "dsp/CKavren.h"
#include "dsp/FloatingPointGuard.h"
#include "params/KavrenParameters.h"
#include "presets/CFileFormat.h"

#include <cstring>
#include <string>

// Hosts read and write chunks on their own threads, never on the audio thread's behalf: a load reaches
// the DSP through the change inbox as one batch. The chunk handed out stays valid until the next call.
int32_t CKavren::getPresetChunk(void** data) {
    FloatingPointGuard guard;
    std::lock_guard lock(stateAccess_);
    chunk_.clear();
    chunk_.setPresetName(presetName_.get().c_str());
    void* parameterBlock = nullptr;
    const int32_t parameterSize = parameters_.getStateBlock(&parameterBlock);
    chunk_.addBlock("Parameters", parameterBlock, parameterSize);
    if (globalLimiterMode_ == 1)
        chunk_.addString("GLOBAL.LIMITER.ON", globalLimiterParameter_.getBoolValue() ? "TRUE" : "FALSE");
    chunk_.addString("isNewFilterPreset", "TRUE");
    return chunk_.serialize(data);
}

void CKavren::setPresetChunk(void* data, int32_t size) {
    FloatingPointGuard guard;
    if (!data || size <= 9) return;
    std::lock_guard lock(stateAccess_);
    // Parsed apart from the chunk last handed out, which the host may still be reading.
    Tessu::CPresetChunk loaded;
    loaded.setIdentifier(chunk_.getIdentifier());
    if (loaded.parse(data, size) == Tessu::CPresetChunk::kRejected) return;

    beginUpdate();
    for (int32_t id = 0; id < kParameterCount; ++id)
        if (Tessu::ParameterProperty* p = findParameterById(id)) p->resetToDefault();
    void* block = nullptr;
    if (int32_t blockSize = loaded.findBlock("Parameters", &block); blockSize > 0)
        parameters_.setStateBlock(block, blockSize, -1);
    void* name = nullptr;
    if (int32_t nameSize = loaded.findBlock("PRESETNAME", &name); nameSize > 0)
        storePresetName(std::string(static_cast<const char*>(name),
                                    strnlen(static_cast<const char*>(name), size_t(nameSize)))
                            .c_str());
    else
        storePresetName(loaded.getPresetName());
    void* limiter = nullptr;
    if (int32_t limiterSize = loaded.findBlock("GLOBAL.LIMITER.ON", &limiter); limiterSize > 0)
        globalLimiterParameter_.setValue(limiterSize >= 4 && !std::memcmp(limiter, "TRUE", 4) ? 1.0f : 0.0f);
    // A link amount is only kept while its link switch is on.
    if (!findParameterById(kRingModLinkFreq)->getBoolValue())
        findParameterById(kRingModLinkAmount)->setValue(0.0f);
    if (!findParameterById(kFreqModLinkFreq)->getBoolValue())
        findParameterById(kFreqModLinkFreqAmount)->setValue(0.0f);
    endUpdate();
}

void CKavren::setPresetName(const char* name) {
    std::lock_guard lock(stateAccess_);
    storePresetName(name);
}

void CKavren::storePresetName(const char* name) {
    presetName_.set(name ? name : "");
    presetNameParameter_.notifyListeners();
}

bool CKavren::loadInitPreset() {
    const std::vector<uint8_t> file = Core::readResource("presets/Init Preset.fxp");
    std::span<const uint8_t> chunk = Tessu::fxpFormat().decode(file);
    if (!chunk.empty()) setPresetChunk(const_cast<uint8_t*>(chunk.data()), int32_t(chunk.size()));
    return !chunk.empty();
}
