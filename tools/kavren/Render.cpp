#include "kavren/Render.h"

#include "vsthost/VstPluginHost.h"

#include <algorithm>

namespace kavren {

Audio renderThroughPlugin(const Audio& input, const RenderOptions& options,
                          const std::function<void(double)>& progress) {
    host::VstPluginHost plugin(options.pluginPath);
    plugin.setTempo(options.tempo);
    plugin.setPlaying(options.playing);
    if (options.playing) plugin.timeInfo().flags |= vst2::kVstTransportChanged;
    plugin.start(float(input.sampleRate), options.blockSize);
    if (!options.chunk.empty()) plugin.setChunk(options.chunk, true);
    for (const HostSetting& s : options.settings) plugin.setParameter(s.hostIndex, s.normalizedValue);

    const size_t latency = size_t(std::max(plugin.effect()->initialDelay, 0));
    const size_t frames = input.frames();
    const size_t total = frames + latency;
    const size_t block = size_t(options.blockSize);
    std::vector<float> inL(block), inR(block), outL(block), outR(block);
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    const std::vector<float>& left = input.channels[0];
    const std::vector<float>& right = input.channels.size() > 1 ? input.channels[1] : input.channels[0];

    Audio output;
    output.sampleRate = input.sampleRate;
    output.channels.assign(input.channels.size(), std::vector<float>(frames));
    for (size_t at = 0; at < total; at += block) {
        const size_t n = std::min(block, total - at);
        for (size_t i = 0; i < n; ++i) {
            bool inside = at + i < frames;
            inL[i] = inside ? left[at + i] : 0.0f;
            inR[i] = inside ? right[at + i] : 0.0f;
        }
        plugin.process(ins, outs, int32_t(n));
        // Output frame j answers input frame j - latency.
        for (size_t i = 0; i < n; ++i) {
            if (at + i < latency) continue;
            size_t target = at + i - latency;
            output.channels[0][target] = outL[i];
            if (output.channels.size() > 1) output.channels[1][target] = outR[i];
        }
        if (progress) progress(double(std::min(at + n, total)) / double(total));
    }
    return output;
}

} // namespace kavren
