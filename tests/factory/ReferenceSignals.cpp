#include "factory/ReferenceSignals.h"

#include "kavren/DemoSignal.h"
#include "utilities/WhiteNoise.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace factory {

namespace {

constexpr double kSeconds = 3.0;

// Scales both channels so that the larger magnitude of either is 0.5 (-6 dBFS).
void normalisePeak(Stereo& s) {
    float largest = 0.0f;
    for (auto* channel : {&s.left, &s.right})
        for (float x : *channel) largest = std::max(largest, std::fabs(x));
    for (auto* channel : {&s.left, &s.right})
        for (float& x : *channel) x *= largest > 0.0f ? 0.5f / largest : 1.0f;
}

// White noise through a sum of one-pole filters with staggered poles whose sum falls at 3 dB per octave
// (within about 0.5 dB from 20 Hz to 20 kHz).
class PinkFilter {
public:
    float next(float white) {
        static constexpr double kPoles[7] = {0.99886, 0.99332, 0.96900, 0.86650, 0.55000, -0.7616, 0.0};
        static constexpr double kGains[7] = {0.0555179, 0.0750759,  0.1538520, 0.3104856,
                                             0.5329522, -0.0168980, 0.5362};
        double sum = 0.0;
        for (int i = 0; i < 6; ++i) {
            state_[i] = kPoles[i] * state_[i] + kGains[i] * white;
            sum += state_[i];
        }
        sum += previous_ + kGains[6] * white;
        previous_ = white * 0.115926;
        return float(sum);
    }

private:
    double state_[6] = {};
    double previous_ = 0.0;
};

Stereo drumBassLoop() {
    kavren::Audio demo = kavren::makeDemoSignal(kSampleRate);
    const size_t frames = size_t(kSeconds * kSampleRate);
    Stereo s;
    s.left.assign(demo.channels[0].begin(), demo.channels[0].begin() + std::ptrdiff_t(frames));
    s.right.assign(demo.channels[1].begin(), demo.channels[1].begin() + std::ptrdiff_t(frames));
    normalisePeak(s);
    return s;
}

// Saw with its discontinuity smoothed by a two-sample polynomial step, so that little aliasing folds back.
class Saw {
public:
    explicit Saw(double frequency) : increment_(frequency / kSampleRate) {}
    float next() {
        phase_ += increment_;
        if (phase_ >= 1.0) phase_ -= 1.0;
        double value = 2.0 * phase_ - 1.0;
        if (phase_ < increment_) {
            const double t = phase_ / increment_;
            value -= t + t - t * t - 1.0;
        } else if (phase_ > 1.0 - increment_) {
            const double t = (phase_ - 1.0) / increment_;
            value -= t * t + t + t + 1.0;
        }
        return float(value);
    }

private:
    double increment_;
    double phase_ = 0.0;
};

// A minor chord with added ninth of saws from 110 Hz up, slightly detuned between the channels, with a
// soft attack so that it sustains through the whole signal.
Stereo sustainedChord() {
    static constexpr double kNotes[5] = {45, 52, 57, 60, 71}; // MIDI note numbers
    const size_t frames = size_t(kSeconds * kSampleRate);
    Stereo s;
    s.left.assign(frames, 0.0f);
    s.right.assign(frames, 0.0f);
    for (double note : kNotes) {
        const double frequency = 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
        Saw left(frequency * 0.998), right(frequency * 1.002);
        for (size_t i = 0; i < frames; ++i) {
            s.left[i] += left.next();
            s.right[i] += right.next();
        }
    }
    const size_t attack = size_t(0.05 * kSampleRate);
    for (size_t i = 0; i < attack; ++i) {
        const float g = float(i) / float(attack);
        s.left[i] *= g;
        s.right[i] *= g;
    }
    normalisePeak(s);
    return s;
}

} // namespace

Stereo pinkNoise(double seconds) {
    const size_t frames = size_t(seconds * kSampleRate);
    KavrenTest::WhiteNoise white(0x1234567u);
    PinkFilter pinkLeft, pinkRight;
    Stereo s;
    s.left.resize(frames);
    s.right.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        // Mostly shared between the channels, as in a real mix.
        const float common = white.next(), left = white.next(), right = white.next();
        s.left[i] = pinkLeft.next(0.8f * common + 0.2f * left);
        s.right[i] = pinkRight.next(0.8f * common + 0.2f * right);
    }
    normalisePeak(s);
    return s;
}

Stereo levelSteps(double segmentSeconds, int segments, double quieterDb) {
    Stereo s = pinkNoise(segmentSeconds * segments);
    const size_t segment = size_t(segmentSeconds * kSampleRate);
    const float quiet = float(std::pow(10.0, -quieterDb / 20.0));
    for (size_t i = 0; i < s.frames(); ++i) {
        if ((i / segment) % 2 == 0) continue;
        s.left[i] *= quiet;
        s.right[i] *= quiet;
    }
    return s;
}

const std::vector<ReferenceSignal>& referenceSignals() {
    static const std::vector<ReferenceSignal> signals = {
        {"drum and bass loop", drumBassLoop()},
        {"pink noise", pinkNoise(kSeconds)},
        {"sustained chord", sustainedChord()},
    };
    return signals;
}

} // namespace factory
