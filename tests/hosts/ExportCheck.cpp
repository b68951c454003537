// Compares a stereo file a host exported through the plug-in with the mono recordings that fed it.
//
//   kavren_export_check <exported.wav> <input-left.wav> <input-right.wav> <gain>
//
// Passes (exit 0) when the export has the inputs' length and rate, and each output channel lines up
// with its own input (the host compensated the plug-in's latency) at the input's level times <gain>
// within 1 dB.
//
// Level and alignment are measured in the 300 Hz - 3 kHz band, where the plug-in's default filters
// are flat: its low-pass near Nyquist and its lowest high-pass still turn the phase at the band edges.
#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace {

// The host ramps the transport in over a few thousand samples and fades the region out over 64.
constexpr std::size_t kSkipStart = 4096;
constexpr std::size_t kSkipEnd = 256;
constexpr std::size_t kMinimumWindow = 16384;
constexpr long kMaxLag = 1024;
constexpr long kLagTolerance = 1;
constexpr double kMinimumCorrelation = 0.95;
constexpr double kMaximumCrossTalk = 0.2;
constexpr double kGainToleranceDb = 1.0;
constexpr double kSilence = 1e-3;
constexpr double kBandLow = 300.0;
constexpr double kBandHigh = 3000.0;

using Signal = std::vector<float>;

struct Audio {
    int rate = 0;
    std::vector<Signal> channels;
    std::size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
};

std::optional<Audio> readAudio(const char* path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "cannot read %s: %s\n", path, sf_strerror(nullptr));
        return std::nullopt;
    }
    const auto frames = static_cast<std::size_t>(info.frames);
    const auto channels = static_cast<std::size_t>(info.channels);
    std::vector<float> interleaved(frames * channels);
    const sf_count_t read = sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    if (read != info.frames) {
        std::fprintf(stderr, "short read from %s\n", path);
        return std::nullopt;
    }
    Audio audio;
    audio.rate = info.samplerate;
    audio.channels.assign(channels, Signal(frames));
    for (std::size_t frame = 0; frame < frames; ++frame)
        for (std::size_t channel = 0; channel < channels; ++channel)
            audio.channels[channel][frame] = interleaved[frame * channels + channel];
    return audio;
}

// One second-order section (audio EQ cookbook), Butterworth Q.
class Biquad {
public:
    Biquad(double frequency, double rate, bool highPass) {
        const double w = 2.0 * std::numbers::pi * frequency / rate;
        const double alpha = std::sin(w) / std::sqrt(2.0);
        const double c = std::cos(w);
        const double a0 = 1.0 + alpha;
        const double edge = highPass ? (1.0 + c) / 2.0 : (1.0 - c) / 2.0;
        b_ = {edge / a0, (highPass ? -2.0 : 2.0) * edge / a0, edge / a0};
        a_ = {-2.0 * c / a0, (1.0 - alpha) / a0};
    }

    void run(Signal& signal) const {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (float& sample : signal) {
            const double y = b_[0] * sample + b_[1] * x1 + b_[2] * x2 - a_[0] * y1 - a_[1] * y2;
            x2 = x1;
            x1 = sample;
            y2 = y1;
            y1 = y;
            sample = static_cast<float>(y);
        }
    }

private:
    std::array<double, 3> b_{};
    std::array<double, 2> a_{};
};

// 24 dB per octave on both sides of the measuring band.
Signal bandLimited(Signal signal, int rate) {
    for (bool highPass : {true, true, false, false})
        Biquad(highPass ? kBandLow : kBandHigh, rate, highPass).run(signal);
    return signal;
}

struct Window {
    std::size_t begin;
    std::size_t end;
};

double dot(const Signal& a, const Signal& b, Window window, long lag = 0) {
    double sum = 0.0;
    for (std::size_t i = window.begin; i < window.end; ++i)
        sum += static_cast<double>(a[i]) * b[static_cast<std::size_t>(static_cast<long>(i) + lag)];
    return sum;
}

double rms(const Signal& signal, Window window) {
    return std::sqrt(dot(signal, signal, window) / static_cast<double>(window.end - window.begin));
}

double correlation(const Signal& a, const Signal& b, Window window) {
    const double energy = std::sqrt(dot(a, a, window) * dot(b, b, window));
    return energy > 0.0 ? dot(a, b, window) / energy : 0.0;
}

long bestLag(const Signal& input, const Signal& output, Window window) {
    const Window inner{window.begin + kMaxLag, window.end - kMaxLag};
    long best = 0;
    double bestScore = -1.0;
    for (long lag = -kMaxLag; lag <= kMaxLag; ++lag) {
        const double score = dot(input, output, inner, lag);
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

double toDb(double ratio) {
    return 20.0 * std::log10(std::max(ratio, 1e-12));
}

__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...) {
    char text[256];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

class Checker {
public:
    void expect(bool condition, const std::string& what) {
        std::printf("%s: %s\n", condition ? "ok  " : "FAIL", what.c_str());
        failed_ = failed_ || !condition;
    }
    bool failed() const { return failed_; }

private:
    bool failed_ = false;
};

struct Channel {
    const char* name;
    const Signal& input;
    const Signal& otherInput;
    const Signal& output;
};

void checkChannel(Checker& check, const Channel& channel, int rate, Window window, double gain) {
    check.expect(
        rms(channel.input, window) > 10 * kSilence,
        format("%s input is not silent (%.1f dBFS RMS)", channel.name, toDb(rms(channel.input, window))));
    check.expect(
        rms(channel.output, window) > kSilence,
        format("%s output is not silent (%.1f dBFS RMS)", channel.name, toDb(rms(channel.output, window))));

    const Signal input = bandLimited(channel.input, rate);
    const Signal otherInput = bandLimited(channel.otherInput, rate);
    const Signal output = bandLimited(channel.output, rate);
    const long lag = bestLag(input, output, window);
    check.expect(std::abs(lag) <= kLagTolerance,
                 format("%s output lines up with its input (offset %ld samples)", channel.name, lag));
    const double own = correlation(input, output, window);
    check.expect(own >= kMinimumCorrelation,
                 format("%s output follows its input (correlation %.4f)", channel.name, own));
    const double other = correlation(otherInput, output, window);
    check.expect(std::fabs(other) <= kMaximumCrossTalk,
                 format("%s output ignores the other input (correlation %.4f)", channel.name, other));

    const double gainDb = toDb(rms(output, window) / rms(input, window));
    check.expect(
        std::fabs(gainDb - toDb(gain)) <= kGainToleranceDb,
        format("%s level changes by %+.2f dB (expected %+.2f dB)", channel.name, gainDb, toDb(gain)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <exported.wav> <input-left.wav> <input-right.wav> <gain>\n", argv[0]);
        return 2;
    }
    const auto exported = readAudio(argv[1]);
    const auto left = readAudio(argv[2]);
    const auto right = readAudio(argv[3]);
    if (!exported || !left || !right) return 1;
    const double gain = std::strtod(argv[4], nullptr);

    Checker check;
    check.expect(exported->channels.size() == 2,
                 format("the export is stereo (%zu channels)", exported->channels.size()));
    check.expect(left->channels.size() == 1 && right->channels.size() == 1, "the inputs are mono recordings");
    check.expect(exported->rate == left->rate && exported->rate == right->rate,
                 format("the export keeps the session rate (%d Hz)", exported->rate));
    check.expect(exported->frames() == left->frames() && left->frames() == right->frames(),
                 format("the export is as long as the recording (%zu vs %zu frames)", exported->frames(),
                        left->frames()));
    check.expect(left->frames() >= kSkipStart + kMinimumWindow + kSkipEnd,
                 "the recording is long enough to measure");
    if (check.failed()) return 1;

    const Window window{kSkipStart, left->frames() - kSkipEnd};
    const int rate = exported->rate;
    checkChannel(check, {"L", left->channels[0], right->channels[0], exported->channels[0]}, rate, window,
                 gain);
    checkChannel(check, {"R", right->channels[0], left->channels[0], exported->channels[1]}, rate, window,
                 gain);
    return check.failed() ? 1 : 0;
}
