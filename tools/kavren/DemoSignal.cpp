#include "kavren/DemoSignal.h"
#include "utilities/WhiteNoise.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kavren {

namespace {

constexpr double kTempo = 120.0;
constexpr double kSeconds = 8.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

using Noise = KavrenTest::WhiteNoise;

void addKick(std::vector<float>& out, size_t start, int rate) {
    double phase = 0.0;
    for (size_t i = 0; i < size_t(rate * 0.4) && start + i < out.size(); ++i) {
        double t = double(i) / rate;
        double frequency = 45.0 + 110.0 * std::exp(-t * 30.0);
        phase += kTwoPi * frequency / rate;
        out[start + i] += float(0.9 * std::sin(phase) * std::exp(-t * 7.0));
    }
}

void addSnare(std::vector<float>& out, size_t start, int rate, Noise& noise) {
    for (size_t i = 0; i < size_t(rate * 0.25) && start + i < out.size(); ++i) {
        double t = double(i) / rate;
        double body = std::sin(kTwoPi * 185.0 * t) * std::exp(-t * 25.0);
        out[start + i] += float(0.35 * body + 0.45 * noise.next() * std::exp(-t * 18.0));
    }
}

void addHat(std::vector<float>& out, size_t start, int rate, Noise& noise, float level) {
    float previous = 0.0f;
    for (size_t i = 0; i < size_t(rate * 0.05) && start + i < out.size(); ++i) {
        double t = double(i) / rate;
        float n = noise.next();
        // First difference tilts the noise towards the top octaves.
        out[start + i] += float(level * (n - previous) * std::exp(-t * 90.0));
        previous = n;
    }
}

// Saw bass through a one-pole low-pass, one note per eighth.
void addBass(std::vector<float>& out, int rate) {
    static constexpr int kNotes[16] = {36, 36, 48, 36, 39, 36, 43, 41, 36, 36, 48, 36, 34, 34, 46, 38};
    const size_t eighth = size_t(rate * 60.0 / kTempo / 2.0);
    double phase = 0.0;
    float lowPassed = 0.0f;
    const float smoothing = float(1.0 - std::exp(-kTwoPi * 700.0 / rate));
    for (size_t i = 0; i < out.size(); ++i) {
        size_t step = (i / eighth) % 16;
        size_t inNote = i % eighth;
        double frequency = 440.0 * std::pow(2.0, (kNotes[step] - 69) / 12.0);
        phase += frequency / rate;
        phase -= std::floor(phase);
        double envelope = std::min(1.0, inNote / (0.004 * rate)) * std::exp(-double(inNote) / rate * 4.0);
        lowPassed += smoothing * (float(2.0 * phase - 1.0) - lowPassed);
        out[i] += float(0.35 * envelope) * lowPassed;
    }
}

} // namespace

Audio makeDemoSignal(int sampleRate) {
    const size_t frames = size_t(kSeconds * sampleRate);
    const size_t beat = size_t(sampleRate * 60.0 / kTempo);
    std::vector<float> mono(frames, 0.0f);
    // Deterministic, so every render of the demo is identical.
    Noise noise(0x2545F491u);
    for (size_t b = 0; b * beat < frames; ++b) {
        size_t at = b * beat;
        if (b % 4 == 0 || b % 4 == 2 || b % 8 == 7) addKick(mono, at, sampleRate);
        if (b % 4 == 1 || b % 4 == 3) addSnare(mono, at, sampleRate, noise);
        addHat(mono, at + beat / 2, sampleRate, noise, 0.35f);
        addHat(mono, at, sampleRate, noise, 0.2f);
    }
    addBass(mono, sampleRate);

    float peak = 0.0f;
    for (float x : mono) peak = std::max(peak, std::fabs(x));
    const float toMinus6dB = peak > 0.0f ? 0.5f / peak : 1.0f;
    Audio audio;
    audio.sampleRate = sampleRate;
    audio.channels.assign(2, std::vector<float>(frames));
    // A slight level offset between the channels keeps the stereo path honest.
    for (size_t i = 0; i < frames; ++i) {
        audio.channels[0][i] = mono[i] * toMinus6dB;
        audio.channels[1][i] = mono[i] * toMinus6dB * 0.9f;
    }
    return audio;
}

} // namespace kavren
