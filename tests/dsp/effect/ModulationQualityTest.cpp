// Moving filters measured on tones: what a sweep, a jump, an envelope or a mode switch adds to the output
// beyond the tone and its own modulation, the same result at every host block size, and open filters that
// leave the signal alone.
#include "utilities/EffectHarness.h"

#include <kiss_fftr.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr double kRate = 44100.0;

// Power spectrum of x[from, from + size) under a four-term Blackman–Harris window (sidelobes −92 dB).
std::vector<double> powerSpectrum(const std::vector<float>& x, size_t from, size_t size) {
    kiss_fftr_cfg fft = kiss_fftr_alloc(int(size), 0, nullptr, nullptr);
    std::vector<float> in(size);
    std::vector<kiss_fft_cpx> out(size / 2 + 1);
    for (size_t i = 0; i < size; ++i) {
        const double p = 2.0 * std::numbers::pi * double(i) / double(size);
        const double w =
            0.35875 - 0.48829 * std::cos(p) + 0.14128 * std::cos(2 * p) - 0.01168 * std::cos(3 * p);
        in[i] = float(w * x[from + i]);
    }
    kiss_fftr(fft, in.data(), out.data());
    kiss_fftr_free(fft);
    std::vector<double> power(out.size());
    for (size_t k = 0; k < out.size(); ++k)
        power[k] = double(out[k].r) * out[k].r + double(out[k].i) * out[k].i;
    return power;
}

// The tone's power (bins within ±halfWidth of hz, its own modulation included) against what lies outside:
// the strongest single line (sidebands, dBc) and the sum (clicks, dB re tone). DC and the lowest bins
// are left out.
struct Spread {
    double strongestDb, totalDb;
};
Spread spreadAround(const std::vector<float>& x, size_t from, size_t size, double hz, double halfWidth,
                    double rate = kRate) {
    const auto power = powerSpectrum(x, from, size);
    double tone = 0.0, strongest = 1e-30, total = 1e-30;
    for (size_t k = 4; k < power.size(); ++k) {
        const double f = double(k) * rate / double(size);
        if (std::fabs(f - hz) <= halfWidth)
            tone += power[k];
        else
            strongest = std::max(strongest, power[k]), total += power[k];
    }
    return {10.0 * std::log10(strongest / tone), 10.0 * std::log10(total / tone)};
}

// Runs in host blocks, each cut into the effect's sub-blocks as the adapters do, calling
// beforeBlock(first frame) ahead of each host block.
Stereo runBlocks(
    EffectHarness& h, const Stereo& in, size_t block,
    const std::function<void(size_t)>& beforeBlock = [](size_t) {}) {
    const int32_t subBlock = std::min(int32_t(block), h.effect->getMaxBlockSize());
    Stereo out(in.size());
    for (size_t at = 0; at < in.size(); at += block) {
        const size_t n = std::min(block, in.size() - at);
        Stereo piece(n);
        std::copy_n(in.left.begin() + long(at), n, piece.left.begin());
        std::copy_n(in.right.begin() + long(at), n, piece.right.begin());
        beforeBlock(at);
        Stereo o = h.run(piece, subBlock);
        std::copy_n(o.left.begin(), n, out.left.begin() + long(at));
    }
    return out;
}

void setAll(EffectHarness& h, const EffectHarness::Settings& settings) {
    h.set(settings);
    h.effect->reset();
}

// A low-pass swept by a 5 Hz sine LFO between 375 and 4500 Hz, and by host automation of its cut-off
// (a 4 Hz triangle between 500 and 8000 Hz on the parameter's scale, one value per 512-frame block):
// the 1 kHz tone comes out with its modulation sidebands near it and nothing else.
TEST(MovingFilter, SweepsAddNoLinesAwayFromTheTone) {
    const size_t length = 3 * 44100, fft = 65536;
    {
        EffectHarness h;
        setAll(h,
               {{"LOWPASSFREQ", 1500.0f}, {"LFO Sync", 0.0f}, {"LFO Rate", 5.0f}, {"LP StrengthLFO", 1.0f}});
        const Stereo out = runBlocks(h, sine(length, 1000.0, kRate), 512);
        const double sidebands = spreadAround(out.left, length - fft, fft, 1000.0, 150.0).strongestDb;
        RecordProperty("lfo_sidebands_dBc", std::to_string(sidebands));
        EXPECT_LE(sidebands, -55.0) << "LFO sweep";
    }
    EffectHarness h;
    auto* cutoff = h.effect->findParameterByKey("LOWPASSFREQ");
    const float low = cutoff->toNormalized(500.0), high = cutoff->toNormalized(8000.0);
    const Stereo out = runBlocks(h, sine(length, 1000.0, kRate), 512, [&](size_t at) {
        const double phase = std::fmod(double(at) / kRate / 0.25, 1.0);
        cutoff->setNormalizedValue(low + (high - low) * float(1.0 - std::fabs(2.0 * phase - 1.0)));
    });
    const double artefacts = spreadAround(out.left, length - fft, fft, 1000.0, 150.0).strongestDb;
    RecordProperty("automation_artefacts_dBc", std::to_string(artefacts));
    EXPECT_LE(artefacts, -50.0) << "automation";
}

// A jump of the cut-off, an envelope opening the low-pass with a 5 ms attack, and the open low-pass and the
// high-pass at its minimum coming in: the tone's level and phase move, but no click.
TEST(MovingFilter, JumpsEnvelopesAndFiltersComingInDoNotClick) {
    struct Case {
        const char* name;
        std::initializer_list<std::pair<const char*, float>> settings;
        const char* moved;
        float to;
        double toneHz;
        double limitDb;
    };
    const Case cases[] = {
        {"jump 3 kHz to 20 kHz", {{"LOWPASSFREQ", 3000.0f}}, "LOWPASSFREQ", 20000.0f, 1000.0, -35.0},
        {"low-pass comes in", {}, "LOWPASSFREQ", 5000.0f, 1000.0, -35.0},
        {"high-pass comes in", {}, "HIGHPASSFREQ", 200.0f, 1000.0, -35.0},
    };
    const size_t half = 44100;
    for (const Case& c : cases) {
        EffectHarness h;
        setAll(h, c.settings);
        const Stereo in = sine(2 * half, c.toneHz, kRate);
        const Stereo out = runBlocks(h, in, 512, [&](size_t at) {
            if (at == half - half % 512) h.set(c.moved, c.to);
        });
        const size_t event = half - half % 512 + size_t(h.effect->getLatency());
        const double click = spreadAround(out.left, event - 4096, 8192, c.toneHz, 500.0).totalDb;
        RecordProperty(c.name, std::to_string(click));
        EXPECT_LE(click, c.limitDb) << c.name;
    }

    // A 2 kHz tone rising over 10 ms from −46 to −6 dBFS opens a 300 Hz low-pass through the envelope.
    EffectHarness h;
    setAll(h, {{"LOWPASSFREQ", 300.0f},
               {"MEASUREPOINT", 100.0f},
               {"LP Strength", 1.0f},
               {"LP Attack", 5.0f},
               {"LP Release", 1000.0f}});
    Stereo in = sine(2 * half, 2000.0, kRate);
    for (size_t i = 0; i < in.size(); ++i) {
        const double rise = std::clamp((double(i) - double(half)) / 441.0, 0.0, 1.0);
        const float gain = float(0.01 + 0.99 * (0.5 - 0.5 * std::cos(std::numbers::pi * rise)));
        in.left[i] *= gain, in.right[i] *= gain;
    }
    const Stereo out = runBlocks(h, in, 512);
    const size_t event = half + size_t(h.effect->getLatency());
    const double click = spreadAround(out.left, event - 4096, 8192, 2000.0, 500.0).totalDb;
    RecordProperty("envelope_click_dB", std::to_string(click));
    EXPECT_LE(click, -35.0) << "envelope attack";
}

// A filter-mode switch while a tone plays at the edge of both pass bands: the old routing fades into the
// new one without a gap and without a click.
TEST(MovingFilter, ModeSwitchCrossfadesWithoutGapOrClick) {
    EffectHarness h;
    setAll(h, {{"LOWPASSFREQ", 2000.0f}, {"HIGHPASSFREQ", 500.0f}});
    const size_t half = 44100, block = 512, at = half - half % block;
    const Stereo out = runBlocks(h, sine(2 * half, 2000.0, kRate), block, [&](size_t pos) {
        if (pos == at) h.set("FILTERMODE", 1.0f);
    });
    const size_t event = at + size_t(h.effect->getLatency());
    const double click = spreadAround(out.left, event - 4096, 8192, 2000.0, 500.0).totalDb;
    RecordProperty("mode_switch_click_dB", std::to_string(click));
    EXPECT_LE(click, -40.0);
    const double before = rms(out.left, event - 4410, event),
                 after = rms(out.left, event + 8820, event + 13230);
    double quietest = 1.0;
    for (size_t from = event - 441; from < event + 4410; from += 44)
        quietest = std::min(quietest, rms(out.left, from, from + 88));
    RecordProperty("mode_switch_quietest_dB", std::to_string(decibels(quietest / std::min(before, after))));
    EXPECT_GT(quietest, 0.5 * std::min(before, after));
}

// Envelope follower timing: set times mean the same at every sample rate, and short attacks differ.
TEST(MovingFilter, AttackTimesHoldAtEveryRateAndShortOnesDiffer) {
    // Milliseconds until the broadband low-pass envelope covers 98 % of its rise after a full-scale tone
    // starts.
    auto riseMs = [](double rate, float attackMs) {
        EffectHarness h(float(rate), 16);
        setAll(h, {{"MEASUREPOINT", 100.0f},
                   {"LP Strength", 0.5f},
                   {"LP Attack", attackMs},
                   {"LP Release", 1000.0f}});
        Stereo in = sine(size_t(0.4 * rate), 1000.0, rate, 1.0f);
        std::fill_n(in.left.begin(), size_t(0.1 * rate), 0.0f);
        std::fill_n(in.right.begin(), size_t(0.1 * rate), 0.0f);
        std::vector<float> path;
        runBlocks(h, in, 16,
                  [&](size_t) { path.push_back(h.effect->envelopeValue(DSP::CEnvelopeFollower::kLowPass)); });
        const float final = path.back();
        size_t block = 0;
        while (path[block] < 0.98f * final) ++block;
        return (double(block) * 16.0 - 0.1 * rate) / rate * 1000.0;
    };
    for (double rate : {44100.0, 96000.0, 192000.0}) {
        const double rise = riseMs(rate, 50.0f);
        RecordProperty("attack50_ms_at_" + std::to_string(int(rate)), std::to_string(rise));
        EXPECT_NEAR(rise, 50.0, 5.0) << rate;
    }
    double previous = 0.0;
    for (float attack : {1.0f, 2.0f, 4.0f, 7.0f}) {
        const double rise = riseMs(kRate, attack);
        RecordProperty("attack" + std::to_string(int(attack)) + "_ms", std::to_string(rise));
        EXPECT_NEAR(rise, attack, 0.25 * attack + 1.0) << attack;
        EXPECT_GT(rise, previous + 0.5) << attack;
        previous = rise;
    }
}

// LFO and envelope on both filters over an uneven signal: the output is the same whatever blocks the host
// uses.
TEST(MovingFilter, OutputDoesNotDependOnTheHostBlockSize) {
    const size_t length = 2 * 44100;
    Stereo in = noise(length);
    for (size_t i = 0; i < length; ++i) {
        const float swell = float(0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * 1.3 * double(i) / kRate));
        in.left[i] *= swell, in.right[i] *= swell;
    }
    auto render = [&](int32_t block) {
        EffectHarness h(float(kRate), 4096);
        setAll(h, {{"LOWPASSFREQ", 2000.0f},
                   {"HIGHPASSFREQ", 150.0f},
                   {"LFO Sync", 0.0f},
                   {"LFO Rate", 3.0f},
                   {"LP StrengthLFO", 1.0f},
                   {"HP StrengthLFO", -0.8f},
                   {"LP Strength", 0.5f},
                   {"HP Strength", 0.4f},
                   {"LP Attack", 20.0f},
                   {"HP Attack", 3.0f}});
        return runBlocks(h, in, size_t(block));
    };
    const Stereo reference = render(512);
    for (int32_t block : {16, 32, 4096}) {
        const Stereo out = render(block);
        double difference = 0.0, signal = 0.0;
        for (size_t i = 0; i < length; ++i) {
            difference += std::pow(double(out.left[i]) - reference.left[i], 2.0);
            signal += double(reference.left[i]) * reference.left[i];
        }
        const double differenceDb = 10.0 * std::log10(difference / signal + 1e-30);
        RecordProperty("block" + std::to_string(block) + "_difference_dB", std::to_string(differenceDb));
        EXPECT_LE(differenceDb, -80.0) << "block " << block;
    }
}

// The initial settings at the top of the band and the high-pass at its minimum at 20 Hz: transparent.
TEST(OpenFilters, PassTheSignalUnchanged) {
    struct Case {
        double rate, hz, limitDb;
    };
    for (const Case c : {Case{44100.0, 20000.0, -0.1}, Case{96000.0, 20000.0, -0.1},
                         Case{192000.0, 20000.0, -0.1}, Case{44100.0, 20.0, -0.05}}) {
        EffectHarness h(float(c.rate));
        const Stereo out = h.run(sine(size_t(c.rate), c.hz, c.rate));
        const double level = decibels(rms(out.left, size_t(c.rate) / 2) / (0.5 / std::sqrt(2.0)));
        RecordProperty("level_" + std::to_string(int(c.hz)) + "Hz_at_" + std::to_string(int(c.rate)),
                       std::to_string(level));
        EXPECT_GE(level, c.limitDb) << c.hz << " Hz at " << c.rate;
    }
}

} // namespace
