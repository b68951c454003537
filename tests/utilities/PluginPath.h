// The plug-in under test, as built by this tree, and audio run through it the way a host runs it.
#pragma once

#include "vsthost/VstPluginHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

inline const char* pluginPath() {
    return KAVREN_PLUGIN_PATH;
}

// The plug-in loaded and started as a host starts it: 44.1 kHz, blocks of 512 frames.
struct StartedPlugin : ::testing::Test {
    void SetUp() override { host.start(44100.0f, 512); }
    kavren::host::VstPluginHost host{pluginPath()};
};

using Planar = std::array<std::vector<float>, 2>;

// Runs a stereo signal through processReplacing in blocks of the given lengths (cycled; a 0 is a call
// with no frames) and returns the output, as long as the input.
inline Planar processInBlocks(kavren::host::VstPluginHost& host, Planar in, const std::vector<int>& blocks) {
    Planar out{std::vector<float>(in[0].size()), std::vector<float>(in[0].size())};
    for (size_t at = 0, b = 0; at < in[0].size(); ++b) {
        const size_t n = std::min(size_t(blocks[b % blocks.size()]), in[0].size() - at);
        float* ins[2] = {in[0].data() + at, in[1].data() + at};
        float* outs[2] = {out[0].data() + at, out[1].data() + at};
        host.process(ins, outs, int32_t(n));
        at += n;
    }
    return out;
}
