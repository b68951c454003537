#pragma once

#include "kavren/AudioFile.h"
#include "kavren/ParameterSettings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kavren {

struct RenderOptions {
    std::string pluginPath;
    // A state chunk applied before the settings (a preset); empty for none.
    std::vector<uint8_t> chunk;
    std::vector<HostSetting> settings;
    int blockSize = 512;
    double tempo = 120.0;
    bool playing = false;
};

// Runs the audio through the plug-in and removes the latency it reports, so the result lines up with
// the input sample for sample. progress receives the fraction done.
Audio renderThroughPlugin(const Audio& input, const RenderOptions& options,
                          const std::function<void(double)>& progress = {});

} // namespace kavren
