// State chunks as a host hands them back: any bytes, any size.
#include "presets/CPresetChunk.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    Tessu::CPresetChunk chunk;
    chunk.setIdentifier("QMX-kavren-Preset");
    chunk.setPresetName("Before");
    const std::vector<std::uint8_t> input(data, data + size);
    if (chunk.parse(input.data(), static_cast<std::int32_t>(input.size())) != Tessu::CPresetChunk::kParsed)
        return 0;

    void* block = nullptr;
    for (const char* name :
         {"Parameters", "GLOBAL.LIMITER.ON", "PresetName", "PRESETNAME", "isNewFilterPreset"}) {
        const std::int32_t blockSize = chunk.findBlock(name, &block);
        if (block && blockSize > 0) {
            volatile std::uint8_t sink = static_cast<std::uint8_t*>(block)[blockSize - 1];
            (void)sink;
        }
    }
    // What was read must survive a write and a second read.
    const std::int32_t blocks = chunk.getBlockCount();
    void* again = nullptr;
    const std::int32_t againSize = chunk.serialize(&again);
    Tessu::CPresetChunk reader;
    reader.setIdentifier("QMX-kavren-Preset");
    if (againSize > 0 &&
        (reader.parse(again, againSize) != Tessu::CPresetChunk::kParsed || reader.getBlockCount() < blocks))
        __builtin_trap();
    return 0;
}
