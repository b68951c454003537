// The factory presets as the plug-in library carries them, their parameter values as the plug-in reports
// them after loading, and renders through the real plug-in.
#pragma once

#include "factory/ReferenceSignals.h"
#include "params/KavrenParameters.h"
#include "utilities/PluginPath.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace factory {

struct FactoryPreset {
    std::string name;     // "LFO/Quarter Pump"
    std::string category; // "LFO"; empty for the init preset
    std::vector<uint8_t> chunk;
    std::vector<float> normalized; // by host index, as getParameter reports after effSetChunk
    std::string rateText;          // the LFO rate as the plug-in displays it ("1/8T", "0.25")

    // The plain value of a parameter, in the units of the parameter table.
    double value(KavrenParameterId id) const;
    bool on(KavrenParameterId id) const { return value(id) >= 0.5; }
};

// A host parameter set to a normalised value after the preset is loaded.
using Override = std::pair<int32_t, float>;

const std::vector<FactoryPreset>& factoryPresets();
std::vector<const FactoryPreset*> presetsOf(const std::string& category);

// The host index of a parameter and the normalised value of a plain one.
int32_t hostIndex(KavrenParameterId id);
float normalizedOf(KavrenParameterId id, double plain);

// Runs input through a fresh plug-in instance with the preset loaded, at 120 BPM with the transport
// playing from song position 0, and returns the output aligned with the input (latency removed).
Stereo render(const FactoryPreset& preset, const Stereo& input, const std::vector<Override>& overrides = {});

} // namespace factory
