// presetc: turns the readable preset sources into FXP preset files with the effect's own state chunk.
//   presetc SOURCE_ROOT OUTPUT_ROOT RELATIVE_PATH.preset...
// Each "<dir>/<Name>.preset" becomes OUTPUT_ROOT/<dir>/<Name>.fxp, a preset called <Name>.
#include "dsp/CKavren.h"
#include "params/KavrenParameters.h"
#include "params/UserValueText.h"
#include "presetc/PresetSource.h"
#include "presets/CFileFormat.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

void compilePreset(const fs::path& source, const fs::path& output) {
    CKavren effect(nullptr);
    for (int32_t id = 0; id < kParameterCount; ++id) effect.findParameterById(id)->resetToDefault();
    for (const presetc::Setting& s : presetc::readPresetSource(source.string())) {
        const std::string where = source.string() + ":" + std::to_string(s.line) + ": ";
        Tessu::ParameterProperty* p = effect.findParameterByKey(s.key.c_str());
        if (!p) throw std::runtime_error(where + "unknown parameter key '" + s.key + "'");
        float plain = 0.0f;
        if (!Tessu::parseUserValue(*p, s.value, plain))
            throw std::runtime_error(where + "cannot read '" + s.value + "' as a value of " + s.key);
        p->setValue(plain);
    }
    const std::string name = source.stem().string();
    effect.setPresetName(name.c_str());
    // Preset files leave the global limiter to the user's own setting.
    effect.setGlobalLimiterMode(0);
    void* chunk = nullptr;
    const int32_t size = effect.getPresetChunk(&chunk);
    const std::vector<uint8_t> file = Tessu::fxpFormat().encode(output.string().c_str(), chunk, size);
    if (file.empty()) throw std::runtime_error(source.string() + ": no state to write");
    fs::create_directories(output.parent_path());
    std::ofstream out(output, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    if (!out) throw std::runtime_error(output.string() + ": cannot write");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: presetc SOURCE_ROOT OUTPUT_ROOT RELATIVE_PATH.preset...\n";
        return 2;
    }
    try {
        const fs::path sourceRoot = argv[1], outputRoot = argv[2];
        for (int i = 3; i < argc; ++i) {
            const fs::path relative = argv[i];
            compilePreset(sourceRoot / relative, (outputRoot / relative).replace_extension(".fxp"));
        }
    } catch (const std::exception& e) {
        std::cerr << "presetc: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
