// The presets a plug-in library carries inside itself, read from the library file the way they are
// stored there, and preset files on disk.
#pragma once

#include "core/ResourceBlock.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kavren {

class PresetLibrary {
public:
    // Throws std::runtime_error when the file cannot be read or holds no preset store.
    explicit PresetLibrary(const std::string& pluginPath);

    // "Init Preset", "Filter/Warm Low Pass", ... in store order.
    std::vector<std::string> names() const;
    // The state chunk of an embedded preset by name, or of an FXP file by path. Throws
    // std::runtime_error naming what was not found, not a preset of this plug-in, or holds a state
    // chunk of another plug-in or one that cannot be read.
    std::vector<uint8_t> chunk(const std::string& nameOrFile) const;
    // The store as the library carries it (valid while this object lives).
    Core::ResourceBlock store() const {
        return {library_.data() + storeOffset_, library_.size() - storeOffset_};
    }

private:
    std::vector<uint8_t> library_;
    size_t storeOffset_ = 0;
};

// The chunk a preset file carries for the plug-in's host chunk: the same parameters and name, without
// the global limiter switch, which stays the user's setting (the effect writes its preset files so).
// Throws std::runtime_error when the host chunk cannot be read.
std::vector<uint8_t> presetFileChunk(const std::vector<uint8_t>& hostChunk);

// Writes a state chunk as an FXP preset file named after the file, atomically as the plug-in does; a
// device, FIFO or pipe is written through instead. Throws with the reason when any step fails.
void savePresetFile(const std::string& path, const std::vector<uint8_t>& chunk);

} // namespace kavren
