// Runs the effect directly, block by block as the host adapter does, on planar stereo signals.
#pragma once

#include "dsp/CKavren.h"
#include "utilities/WhiteNoise.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <utility>
#include <vector>

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(size_t n = 0, float value = 0.0f) : left(n, value), right(n, value) {}
    size_t size() const { return left.size(); }
};

class EffectHarness {
public:
    explicit EffectHarness(float rate = 44100.0f, int32_t hostBlock = 512)
        : effect(std::make_unique<CKavren>(nullptr)) {
        effect->setSampleRate(rate);
        effect->setBlockSize(hostBlock);
        effect->reset();
    }

    using Settings = std::vector<std::pair<const char*, float>>;
    void set(const char* key, float plain) { effect->findParameterByKey(key)->setValue(plain); }
    void set(const Settings& settings) {
        for (const auto& [key, plain] : settings) set(key, plain);
    }

    // Processes in the effect's sub-blocks; samplePos advances when playing.
    Stereo run(const Stereo& input, int32_t block = 0) {
        Stereo out(input.size());
        const int32_t step = block > 0 ? block : std::max(effect->getMaxBlockSize(), 1);
        for (size_t at = 0; at < input.size(); at += size_t(step)) {
            const int32_t n = int32_t(std::min(size_t(step), input.size() - at));
            float* ins[2] = {const_cast<float*>(input.left.data() + at),
                             const_cast<float*>(input.right.data() + at)};
            float* outs[2] = {out.left.data() + at, out.right.data() + at};
            context.build(ins, 1, outs, 1, n);
            context.tempo = tempo;
            context.playing = playing;
            context.samplePos = position;
            effect->process(context);
            if (playing) position += n;
        }
        return out;
    }

    std::unique_ptr<CKavren> effect;
    Tessu::ProcessContext context;
    float tempo = 120.0f;
    bool playing = false;
    double position = 0.0;
};

inline Stereo sine(size_t n, double hz, double rate, float amplitude = 0.5f) {
    Stereo s(n);
    for (size_t i = 0; i < n; ++i)
        s.left[i] = s.right[i] = amplitude * float(std::sin(2.0 * std::numbers::pi * hz * double(i) / rate));
    return s;
}

// White noise at ±0.5 from a fixed seed, the right channel the left inverted.
inline Stereo noise(size_t n, uint32_t seed = 7) {
    Stereo s(n);
    KavrenTest::WhiteNoise white(seed);
    for (size_t i = 0; i < n; ++i) {
        s.left[i] = 0.5f * white.next();
        s.right[i] = -s.left[i];
    }
    return s;
}

inline Stereo impulse(size_t n, size_t at = 0) {
    Stereo s(n);
    s.left[at] = s.right[at] = 1.0f;
    return s;
}

inline double rms(const std::vector<float>& x, size_t from = 0, size_t to = 0) {
    to = to ? to : x.size();
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
    return std::sqrt(sum / double(std::max<size_t>(to - from, 1)));
}

inline double decibels(double ratio) {
    return 20.0 * std::log10(ratio);
}

inline size_t loudestSample(const std::vector<float>& x) {
    return size_t(
        std::max_element(x.begin(), x.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }) -
        x.begin());
}
