#include "factory/FeatureChecks.h"

#include "factory/SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace factory {

namespace {

Override neutral(KavrenParameterId id) {
    return {hostIndex(id), normalizedOf(id, 0.0)};
}

bool moves(const FactoryPreset& p) {
    for (KavrenParameterId id : {kLpEnvStrength, kHpEnvStrength, kLpLfoStrength, kHpLfoStrength})
        if (std::fabs(p.value(id)) > 0.01) return true;
    return false;
}

// Envelope: pink noise stepping between -6 dBFS and 24 dB below, rendered with the preset as it is and
// with its envelope strengths at zero. Over the settled second half of each step, the band levels
// (relative to the frame's total) of the loud steps minus those of the quiet steps: a filter that follows
// the level reshapes the spectrum between loud and quiet by more than the rest of the chain does on its
// own. In series mode the centroid tells the direction too: positive strengths make loud steps brighter.
struct LoudAgainstQuiet {
    std::vector<double> bandsDb;
    double centroidOct = 0.0;
};

LoudAgainstQuiet loudAgainstQuiet(const Stereo& out, double segmentSeconds, int segments) {
    const Frames f = analyseFrames(out);
    const size_t perSegment = size_t(segmentSeconds * kSampleRate) / kHop;
    LoudAgainstQuiet result;
    result.bandsDb.assign(bandCentres().size(), 0.0);
    for (int s = 0; s < segments; ++s) {
        const double sign = s % 2 ? -1.0 : 1.0, weight = sign / (segments / 2);
        const size_t first = s * perSegment + perSegment / 2, last = (s + 1) * perSegment - 4;
        result.centroidOct += weight * meanCentroidOct(f, first, last);
        for (size_t i = first; i < last; ++i)
            for (size_t b = 0; b < result.bandsDb.size(); ++b)
                result.bandsDb[b] += weight * f.bandDb[i][b] / double(last - first);
    }
    return result;
}

void expectEnvelopeFollowing(const FactoryPreset& p) {
    constexpr double kSegment = 1.0;
    constexpr int kSegments = 4;
    const Stereo probe = levelSteps(kSegment, kSegments, 24.0);
    const LoudAgainstQuiet following = loudAgainstQuiet(render(p, probe), kSegment, kSegments);
    const LoudAgainstQuiet frozen = loudAgainstQuiet(
        render(p, probe, {neutral(kLpEnvStrength), neutral(kHpEnvStrength)}), kSegment, kSegments);
    const double reshaping = rmsDifference(following.bandsDb, frozen.bandsDb);
    const double brighter = following.centroidOct - frozen.centroidOct;
    EXPECT_GT(reshaping, 2.0) << "loud and quiet steps differ in band levels by only " << reshaping
                              << " dB more than with the envelope strengths at zero";
    const double lp = p.value(kLpEnvStrength), hp = p.value(kHpEnvStrength);
    if (!p.on(kFilterMode) && lp * hp >= 0.0) {
        EXPECT_GT(brighter * (lp + hp), 0.0) << "the cut-offs move the wrong way: " << brighter << " oct";
    }
}

// Filter: a static shape. Nothing moves the cut-offs, and the tonal balance of pink noise changes.
void expectStaticShape(const FactoryPreset& p) {
    EXPECT_FALSE(moves(p));
    const Stereo noise = pinkNoise(2.0);
    const double change = rmsDifference(longTermBandsDb(render(p, noise)), longTermBandsDb(noise));
    EXPECT_GT(change, 2.0) << "band levels of pink noise change by " << change << " dB";
}

// LFO: over pink noise, the frame level or the spectral centroid repeats with the LFO's cycle: the
// trajectory moves, correlates with itself one cycle later and clearly less half a cycle later.
void expectPeriodicMotion(const FactoryPreset& p) {
    const double period = lfoPeriodSeconds(p);
    ASSERT_GT(period, 0.0) << p.rateText;
    const double seconds = std::clamp(2.5 * period + 0.5, 3.0, 30.0);
    const Frames f = analyseFrames(render(p, pinkNoise(seconds)), size_t(0.25 * kSampleRate));
    const double lag = period * kSampleRate / kHop;
    struct Trajectory {
        const char* what;
        const std::vector<double>& values;
        double least;
    };
    bool periodic = false;
    std::ostringstream measured;
    for (const Trajectory& t :
         {Trajectory{"level", f.levelDb, 0.75}, Trajectory{"centroid", f.centroidOct, 0.05}}) {
        const double spread = standardDeviation(t.values);
        const double cycle = autocorrelation(t.values, lag), half = autocorrelation(t.values, lag / 2);
        periodic = periodic || (spread > t.least && cycle > 0.5 && cycle - half > 0.3);
        measured << " " << t.what << ": spread " << spread << ", r(T) " << cycle << ", r(T/2) " << half
                 << ";";
    }
    EXPECT_TRUE(periodic) << "neither level nor centroid repeats every " << period << " s:" << measured.str();
}

// How much the spectrum of a render moves against a render of the same input held still: for each band
// above 150 Hz, the spread in time of the level difference between the two, averaged over the bands. The
// noise's own fluctuations are common to both and cancel.
double spectralMotion(const Stereo& moving, const Stereo& still) {
    const Frames a = analyseFrames(moving, size_t(0.25 * kSampleRate)),
                 b = analyseFrames(still, size_t(0.25 * kSampleRate));
    double sum = 0.0;
    int count = 0;
    for (size_t band = 0; band < bandCentres().size(); ++band) {
        if (bandCentres()[band] < 150.0) continue;
        std::vector<double> difference;
        for (size_t f = 0; f < a.bandDb.size(); ++f)
            difference.push_back(a.bandDb[f][band] - b.bandDb[f][band]);
        sum += standardDeviation(difference);
        ++count;
    }
    return sum / count;
}

// Phaser: parallel filters with resonance, and the spectrum moves in time against the same preset with
// every modulation strength at zero: over pink noise (LFO sweeps) or over the drum loop (envelope sweeps).
void expectSweepingNotch(const FactoryPreset& p) {
    EXPECT_TRUE(p.on(kFilterMode)) << "filter mode is not Notch";
    EXPECT_GT(std::max(p.value(kLowPassQ), p.value(kHighPassQ)), 0.0) << "no resonance";
    const std::vector<Override> still = {neutral(kLpEnvStrength), neutral(kHpEnvStrength),
                                         neutral(kLpLfoStrength), neutral(kHpLfoStrength),
                                         neutral(kFreqModMix)};
    double motion = 0.0;
    for (const Stereo& input : {pinkNoise(3.0), referenceSignals()[0].audio})
        motion = std::max(motion, spectralMotion(render(p, input), render(p, input, still)));
    EXPECT_GT(motion, 1.0) << "band levels move by " << motion << " dB against the preset held still";
}

// Ringmod: the ring modulator is on and what it adds to the chord, the difference between the render
// and the render with the ring mix at zero, is at least 3 % of the signal's energy.
void expectRingModulation(const FactoryPreset& p) {
    EXPECT_GT(p.value(kRingModMix), 0.0);
    const Stereo& chord = referenceSignals()[2].audio;
    const Stereo ring = render(p, chord), plain = render(p, chord, {neutral(kRingModMix)});
    Stereo added = ring;
    for (size_t i = 0; i < added.frames(); ++i) {
        added.left[i] -= plain.left[i];
        added.right[i] -= plain.right[i];
    }
    const double ratio = measureLevels(added).rmsDb - measureLevels(plain).rmsDb;
    EXPECT_GT(ratio, -15.0) << "the ring modulator adds only " << ratio << " dB";
}

// Multi FX: at least three of the colouring stages are in use.
void expectThreeStages(const FactoryPreset& p) {
    const int stages = (p.value(kDistLevel) > 0.0) + (p.value(kRateReduceLevel) < 1.0 || p.on(kRateLpLink)) +
                       (p.value(kRingModMix) > 0.0) +
                       (p.value(kFreqModMix) > 0.0 || p.value(kFreqModLinkMixAmount) > 0.0) +
                       p.on(kLimiterBypass) + (p.value(kDryWetMix) < 1.0);
    EXPECT_GE(stages, 3);
}

} // namespace

double lfoPeriodSeconds(const FactoryPreset& p) {
    if (!p.on(kLfoSync)) return 1.0 / p.value(kLfoRate);
    int numerator = 0, denominator = 0;
    char kind = 0;
    if (std::sscanf(p.rateText.c_str(), "%d/%d%c", &numerator, &denominator, &kind) < 2 || denominator <= 0)
        return 0.0;
    const double bpm = p.value(kLfoBpm) >= 30.0 ? std::floor(p.value(kLfoBpm) + 0.1) : kTempo;
    const double beats = 4.0 * numerator / denominator * (kind == 'T' ? 2.0 / 3.0 : kind == 'D' ? 1.5 : 1.0);
    return beats * 60.0 / bpm;
}

void expectCategoryFeature(const FactoryPreset& p) {
    if (p.category == "Envelope")
        expectEnvelopeFollowing(p);
    else if (p.category == "Filter")
        expectStaticShape(p);
    else if (p.category == "LFO")
        expectPeriodicMotion(p);
    else if (p.category == "Phaser")
        expectSweepingNotch(p);
    else if (p.category == "Ringmod")
        expectRingModulation(p);
    else if (p.category == "Multi FX")
        expectThreeStages(p);
}

} // namespace factory
