// Writes the LV2 bundle's Turtle files from the effect itself: the plug-in description from its host
// parameters (names, ranges, start values, units, steps and value names), one preset file per factory
// preset (port values, category bank and the state chunk), and the manifest that lists them all with
// their banks.
#pragma once

#include "frame/TessuOS.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace Tessu::lv2 {

struct PresetDescription {
    // "<folder>-<name>" in lower case with dashes: the file name (with ".ttl") and the end of the URI.
    std::string slug;
    std::string label;
    // The category the preset belongs to (its folder), empty for none.
    std::string bank;
    std::vector<float> portValues;
    std::vector<uint8_t> chunk;
};

// Lower-case letters, digits and single underscores: a valid, readable LV2 port symbol for a key.
std::string portSymbol(const std::string& key);
// Lower-case letters, digits and single dashes.
std::string slugOf(const std::string& text);
std::string base64(const std::vector<uint8_t>& bytes);

// The effect's host parameters must hold their start values.
void writePluginTurtle(std::ostream& out, TessuOS& effect, int32_t versionMinor, int32_t versionMicro);
void writePresetTurtle(std::ostream& out, TessuOS& effect, const PresetDescription& preset);
void writeManifest(std::ostream& out, const std::vector<PresetDescription>& presets);

} // namespace Tessu::lv2
