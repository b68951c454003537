// lv2-bundle-turtle: writes the Turtle files of the LV2 bundle at build time.
//   lv2-bundle-turtle BUNDLE_DIR VERSION_MINOR VERSION_MICRO PRESET_ROOT RELATIVE_PATH.fxp...
// The compiled factory presets give the preset files, their folders the banks; "Init Preset.fxp", which every
// new instance loads, gives the ports' default values.
#include "dsp/CKavren.h"
#include "frame/lv2/PortValues.h"
#include "frame/lv2/TessuLV2.h"
#include "frame/lv2/TurtleBundle.h"
#include "presets/CFileFormat.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
using Tessu::lv2::PresetDescription;

constexpr const char* kInitPreset = "Init Preset.fxp";

std::vector<uint8_t> readChunk(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::span<const uint8_t> chunk = Tessu::CPresetFormatFXP().decode(bytes);
    if (chunk.empty()) throw std::runtime_error(file.string() + ": not a preset file of this effect");
    return {chunk.begin(), chunk.end()};
}

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error(path.string() + ": cannot write");
}

template <typename Write> std::string render(Write write) {
    std::ostringstream out;
    write(out);
    return out.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::cerr << "usage: lv2-bundle-turtle BUNDLE_DIR VERSION_MINOR VERSION_MICRO PRESET_ROOT "
                     "RELATIVE_PATH.fxp...\n";
        return 2;
    }
    try {
        const fs::path bundle = argv[1], presetRoot = argv[4];
        CKavren effect(nullptr);
        if (effect.getHostParameterCount() != Tessu::lv2::kParameterPorts)
            throw std::runtime_error("the port layout does not match the host parameters");
        std::vector<PresetDescription> presets;
        std::set<std::string> slugs;
        for (int i = 5; i < argc; ++i) {
            const fs::path relative = argv[i];
            PresetDescription preset;
            preset.label = relative.stem().string();
            const std::string folder = relative.parent_path().string();
            preset.bank = folder;
            preset.slug = Tessu::lv2::slugOf(folder.empty() ? preset.label : folder + " " + preset.label);
            if (!slugs.insert(preset.slug).second)
                throw std::runtime_error("two presets named " + preset.slug);
            preset.chunk = readChunk(presetRoot / relative);
            presets.push_back(std::move(preset));
        }
        auto init = std::find_if(presets.begin(), presets.end(),
                                 [](const PresetDescription& p) { return p.label + ".fxp" == kInitPreset; });
        if (init == presets.end())
            throw std::runtime_error(std::string("no ") + kInitPreset + " among the presets");
        Tessu::lv2::portValuesOfChunk(effect, init->chunk);
        writeFile(bundle / "kavren-xl.ttl", render([&](std::ostream& out) {
                      Tessu::lv2::writePluginTurtle(out, effect, std::stoi(argv[2]), std::stoi(argv[3]));
                  }));
        for (PresetDescription& preset : presets) {
            preset.portValues = Tessu::lv2::portValuesOfChunk(effect, preset.chunk);
            writeFile(bundle / "presets" / (preset.slug + ".ttl"),
                      render([&](std::ostream& out) { Tessu::lv2::writePresetTurtle(out, effect, preset); }));
        }
        writeFile(bundle / "manifest.ttl",
                  render([&](std::ostream& out) { Tessu::lv2::writeManifest(out, presets); }));
    } catch (const std::exception& e) {
        std::cerr << "lv2-bundle-turtle: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
