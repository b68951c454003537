#include "factory/FactoryPresets.h"

#include "kavren/PresetLibrary.h"
#include "vsthost/VstPluginHost.h"

#include <algorithm>

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

std::string pluginPath() {
    return KAVREN_PLUGIN_PATH;
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

    const size_t latency = size_t(std::max(host.effect()->initialDelay, 0));
    const size_t frames = input.frames(), total = frames + latency;
    std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    Stereo output;
    output.left.resize(frames);
    output.right.resize(frames);
    for (size_t at = 0; at < total; at += kBlock) {
        const size_t n = std::min(size_t(kBlock), total - at);
        for (size_t i = 0; i < n; ++i) {
            const bool inside = at + i < frames;
            inL[i] = inside ? input.left[at + i] : 0.0f;
            inR[i] = inside ? input.right[at + i] : 0.0f;
        }
        host.process(ins, outs, int32_t(n));
        for (size_t i = 0; i < n; ++i) {
            if (at + i < latency) continue;
            output.left[at + i - latency] = outL[i];
            output.right[at + i - latency] = outR[i];
        }
    }
    return output;
}

} // namespace factory
