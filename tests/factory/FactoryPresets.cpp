#include "factory/FactoryPresets.h"

#include "kavren/PresetLibrary.h"

namespace factory {

namespace {

constexpr int32_t kBlock = 512;

// A parameter table without an effect: plain and normalised values by the table's own curves.
Tessu::CPropertyManager& table() {
    struct Table {
        Tessu::CPropertyManager manager;
        Table() { createKavrenParameters(manager, nullptr); }
    };
    static Table t;
    return t.manager;
}

std::vector<FactoryPreset> loadPresets() {
    kavren::PresetLibrary library(pluginPath());
    kavren::host::VstPluginHost host(pluginPath());
    host.start(float(kSampleRate), kBlock);
    std::vector<FactoryPreset> presets;
    for (const std::string& name : library.names()) {
        FactoryPreset p;
        p.name = name;
        const size_t slash = name.find('/');
        p.category = slash == std::string::npos ? "" : name.substr(0, slash);
        p.chunk = library.chunk(name);
        host.setChunk(p.chunk, true);
        for (int32_t i = 0; i < host.effect()->numParams; ++i) p.normalized.push_back(host.getParameter(i));
        p.rateText = host.parameterDisplay(hostIndex(kLfoRate));
        presets.push_back(std::move(p));
    }
    return presets;
}

} // namespace

double FactoryPreset::value(KavrenParameterId id) const {
    return table().findParameterById(id)->toPlain(normalized.at(size_t(hostIndex(id))));
}

const std::vector<FactoryPreset>& factoryPresets() {
    static const std::vector<FactoryPreset> presets = loadPresets();
    return presets;
}

std::vector<const FactoryPreset*> presetsOf(const std::string& category) {
    std::vector<const FactoryPreset*> result;
    for (const FactoryPreset& p : factoryPresets())
        if (p.category == category) result.push_back(&p);
    return result;
}

int32_t hostIndex(KavrenParameterId id) {
    return table().findParameterById(id)->getHostIndex();
}

float normalizedOf(KavrenParameterId id, double plain) {
    return table().findParameterById(id)->toNormalized(plain);
}

Stereo render(const FactoryPreset& preset, const Stereo& input, const std::vector<Override>& overrides) {
    kavren::host::VstPluginHost host(pluginPath());
    host.setTempo(kTempo);
    host.setPlaying(true);
    host.timeInfo().flags |= vst2::kVstTransportChanged;
    host.start(float(kSampleRate), kBlock);
    host.setChunk(preset.chunk, true);
    for (auto [index, value] : overrides) host.setParameter(index, value);

    // Latency removed: the input runs on with silence for as long, and the start of the output goes.
    const size_t latency = size_t(std::max(host.effect()->initialDelay, 0));
    Planar in{input.left, input.right};
    for (std::vector<float>& channel : in) channel.resize(input.frames() + latency);
    Planar out = processInBlocks(host, std::move(in), {kBlock});
    Stereo output;
    output.left.assign(out[0].begin() + std::ptrdiff_t(latency), out[0].end());
    output.right.assign(out[1].begin() + std::ptrdiff_t(latency), out[1].end());
    return output;
}

} // namespace factory
