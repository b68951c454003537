// Stereo float WAV files for comparing renders of the two plug-in formats.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <vector>

using Interleaved = std::vector<float>;

inline void writeFloatWav(const std::filesystem::path& path, const Interleaved& frames) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_writef_float(file, frames.data(), sf_count_t(frames.size() / 2));
    sf_close(file);
}

inline Interleaved readWav(const std::filesystem::path& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    Interleaved frames(size_t(info.frames) * size_t(info.channels));
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    return frames;
}

// Samples of the tool's VST 2.4 render that differ from the LV2 render `latency` frames later: the tool
// removes the plug-in's latency from its render, LV2 hosts keep it.
inline size_t samplesDifferingAfterLatency(const Interleaved& vst, const Interleaved& lv2, size_t latency) {
    size_t differing = 0;
    for (size_t i = 0; i + 2 * latency < vst.size(); ++i) differing += vst[i] != lv2[i + 2 * latency];
    return differing;
}

// A stereo test signal: tones with a rough partial on the left.
inline Interleaved testSignal(size_t frames) {
    Interleaved in(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        in[2 * i] =
            0.6f * float(std::sin(0.031 * double(i))) + 0.2f * float(std::sin(0.7 * double(i * i % 977)));
        in[2 * i + 1] = 0.5f * float(std::sin(0.047 * double(i)));
    }
    return in;
}
