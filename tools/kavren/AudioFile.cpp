#include "kavren/AudioFile.h"

#include <sndfile.h>

#include <memory>
#include <stdexcept>

namespace kavren {

namespace {

struct FileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using SoundFile = std::unique_ptr<SNDFILE, FileCloser>;

// libsndfile's reason on one line: on Windows it passes the system's text on with its line break.
std::string reasonOf(SNDFILE* file) {
    std::string reason = sf_strerror(file);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    return reason;
}

} // namespace

Audio readAudio(const std::string& path, AudioFormat& format) {
    SF_INFO info{};
    SoundFile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) throw std::runtime_error("cannot read '" + path + "': " + reasonOf(nullptr));
    if (info.channels < 1 || info.channels > 2)
        throw std::runtime_error("'" + path + "' has " + std::to_string(info.channels) +
                                 " channels; only mono and stereo files can be rendered");
    Audio audio;
    audio.sampleRate = info.samplerate;
    audio.channels.assign(size_t(info.channels), std::vector<float>(size_t(info.frames)));
    std::vector<float> interleaved(size_t(info.frames) * size_t(info.channels));
    sf_count_t got = sf_readf_float(file.get(), interleaved.data(), info.frames);
    for (auto& c : audio.channels) c.resize(size_t(got));
    for (sf_count_t i = 0; i < got; ++i)
        for (int c = 0; c < info.channels; ++c)
            audio.channels[size_t(c)][size_t(i)] = interleaved[size_t(i) * size_t(info.channels) + size_t(c)];
    format.code = info.format;
    return audio;
}

void writeAudio(const std::string& path, const Audio& audio, AudioFormat format) {
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = int(audio.channels.size());
    info.format = format.code;
    SoundFile file(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file) throw std::runtime_error("cannot write '" + path + "': " + reasonOf(nullptr));
    // Float sources may exceed full scale; let libsndfile clip instead of wrapping integer formats.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const size_t frames = audio.frames();
    std::vector<float> interleaved(frames * audio.channels.size());
    for (size_t i = 0; i < frames; ++i)
        for (size_t c = 0; c < audio.channels.size(); ++c)
            interleaved[i * audio.channels.size() + c] = audio.channels[c][i];
    if (sf_writef_float(file.get(), interleaved.data(), sf_count_t(frames)) != sf_count_t(frames))
        throw std::runtime_error("cannot write '" + path + "': " + reasonOf(file.get()));
}

AudioFormat wav24() {
    return {SF_FORMAT_WAV | SF_FORMAT_PCM_24};
}

} // namespace kavren
