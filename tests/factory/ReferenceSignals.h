// The material every factory preset is heard through: a drum and bass loop, pink noise and a sustained
// chord, each peaking at -6 dBFS, plus a probe whose level steps between loud and quiet.
#pragma once

#include <string>
#include <vector>

namespace factory {

constexpr int kSampleRate = 44100;
constexpr double kTempo = 120.0;

struct Stereo {
    std::vector<float> left, right;
    size_t frames() const { return left.size(); }
};

struct ReferenceSignal {
    std::string name;
    Stereo audio;
};

// Drum and bass loop, pink noise and chord, three seconds each.
const std::vector<ReferenceSignal>& referenceSignals();

// Pink noise of the given length in seconds, peaking at -6 dBFS.
Stereo pinkNoise(double seconds);

// Pink noise in alternating segments: segmentSeconds at -6 dBFS peak, then the same length quieterDb
// lower, starting loud.
Stereo levelSteps(double segmentSeconds, int segments, double quieterDb);

} // namespace factory
