// FXP and FXB files from disk, and the chunk inside a program file.
#include "presets/CFileFormat.h"
#include "presets/CPresetChunk.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    Tessu::CPresetFormatFXP fxp;
    Tessu::CPresetFormatFXB fxb;
    for (const auto chunk : {fxp.decode(file), fxb.decode(file)}) {
        if (chunk.empty()) continue;
        if (chunk.data() < data || chunk.data() + chunk.size() > data + size) __builtin_trap();
        Tessu::CPresetChunk state;
        state.setIdentifier("QMX-kavren-Preset");
        std::vector<std::uint8_t> copy(chunk.begin(), chunk.end());
        state.parse(copy.data(), static_cast<std::int32_t>(copy.size()));
    }
    return 0;
}
