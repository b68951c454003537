// Planar float audio read from and written to files through libsndfile (WAV, FLAC, AIFF, ...).
#pragma once

#include <string>
#include <vector>

namespace kavren {

struct Audio {
    int sampleRate = 44100;
    std::vector<std::vector<float>> channels;
    size_t frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

// The container and sample encoding of a file, kept so the output matches the input.
struct AudioFormat {
    int code = 0;
};

// Throw std::runtime_error with a readable message.
Audio readAudio(const std::string& path, AudioFormat& format);
void writeAudio(const std::string& path, const Audio& audio, AudioFormat format);
AudioFormat wav24();

} // namespace kavren
