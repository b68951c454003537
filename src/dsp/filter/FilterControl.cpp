#include "dsp/filter/FilterControl.h"

#include <algorithm>
#include <cmath>

namespace DSP {

namespace {
// The blocks the glide and the resonance smoothing were made for: 88 frames at 44.1 kHz.
constexpr double kNominalSeconds = 88.0 / 44100.0;
} // namespace

ControlStep ControlStep::forSampleRate(double rate) {
    ControlStep step;
    step.samples = std::max(4, int(std::lround(rate * 48.0 / 44100.0)));
    step.fraction = step.samples / rate / kNominalSeconds;
    step.amountCoefficient = float(1.0 - std::pow(1.0 - 0.105, step.fraction));
    return step;
}

float CFilterControl::inertiaFromParameter(float v) {
    const float rest = 1.0f - v;
    return std::clamp(1.0f - rest * rest * rest, 0.001f, 1.0f);
}

void CFilterControl::update(double targetHz, float resonanceAmount, float resonanceWidth, float inertia,
                            CStereoFilter& filter, CStereoBiquad& peak, const ControlStep& step) {
    if (!std::isfinite(targetHz) || !std::isfinite(resonanceAmount) || !std::isfinite(resonanceWidth) ||
        !std::isfinite(inertia))
        return;
    targetHz = std::clamp(targetHz, 0.0, 22050.0);
    const bool gliding = glide(targetHz, inertia, filter, step);
    placePeak(targetHz, resonanceAmount, resonanceWidth, peak, gliding, step);
}

const CFilterControl::GlideRule& CFilterControl::glideRule(bool steep, float inertia, double fraction) {
    if (steep == ruleSteep && (!steep || inertia == ruleInertia) && fraction == ruleFraction &&
        ruleInertia >= 0.0f)
        return rule;
    ruleSteep = steep, ruleInertia = inertia, ruleFraction = fraction;
    double k = 0.505, r = 8.05;
    if (steep) {
        k = 0.505 - 0.40000000327825547 * inertia;
        r = 8.05 - 7.009499955177308 * inertia;
    }
    if (fraction != 1.0) {
        k = 1.0 - std::pow(1.0 - k, fraction);
        r = std::pow(r, fraction);
    }
    rule = {k, r};
    return rule;
}

bool CFilterControl::glide(double targetHz, float inertia, CStereoFilter& filter, const ControlStep& step) {
    if (std::fabs(targetHz - smoothedHz) <= 1.0) return false;
    const GlideRule& g = glideRule(filter.order() * 12 > 24, inertia, step.fraction);
    double x = smoothedHz + 1e-19 + g.k * (targetHz - smoothedHz);
    const double lo = std::max(10.0, smoothedHz);
    if (x > lo && x > lo * g.r) x = lo * g.r;
    if (x <= lo && x < lo / g.r) x = lo / g.r;
    smoothedHz = x;
    filter.setCutoff(x, step.samples);
    peakHz = static_cast<float>(std::min(x, kPeakCeilingHz));
    return true;
}

// A peak of (practically) 0 dB is the same at every frequency: it is not redesigned while it stays so.
// While the cut-off glides, the peak follows in moves of at least 0.5 % (under a tenth of a semitone,
// inaudible on a peak 0.2 octaves wide or more), since a redesign costs more than a step's audio; when
// the glide has arrived, the peak sits exactly at the cut-off.
void CFilterControl::placePeak(double targetHz, float resonanceAmount, float resonanceWidth,
                               CStereoBiquad& peak, bool gliding, const ControlStep& step) {
    smoothedAmount = smoothedAmount + step.amountCoefficient * (resonanceAmount - smoothedAmount) + 1e-19f;
    const PeakShape shape = peakShape(targetHz, smoothedAmount, resonanceWidth);
    const float gainDb = static_cast<float>(shape.gainDb), octaves = static_cast<float>(shape.octaves);
    if (std::fabs(shape.gainDb) < 1e-12 && peak.isIdentity()) return;
    const float shift = std::fabs(peakHz - peak.frequency());
    if (gainDb == peak.gain() && octaves == peak.bandwidth() && gliding && shift <= 0.005f * peakHz) return;
    peak.setPeak(peakHz, gainDb, octaves, step.samples);
}

CFilterControl::PeakShape CFilterControl::peakShape(double targetHz, float resonanceAmount,
                                                    float resonanceWidth) {
    const double fc = std::clamp(targetHz, 40.0, 22050.0);
    const double lowTaper = fc < 100.0 ? (fc - 5.0) / 100.0 : 1.0;
    double gainRange = 24.0, widthFactor = 1.0;
    if (fc > 15000.0) {
        const double b = 1.0 - (fc - 15000.0) / 7050.0;
        gainRange = 24.0 - (1.0 - b) * 5.0;
        widthFactor = 0.5999999940395355 * b + 0.4000000059604645;
    }
    return {resonanceAmount * gainRange * lowTaper, widthFactor * resonanceWidth};
}

void CFilterControl::reset(double cutoffHz, float resonanceAmount, CStereoFilter& filter,
                           CStereoBiquad& peak) {
    if (!std::isfinite(cutoffHz) || !std::isfinite(resonanceAmount)) return;
    smoothedHz = cutoffHz;
    smoothedAmount = resonanceAmount;
    filter.setCutoff(cutoffHz);
    peakHz = static_cast<float>(std::min(cutoffHz, kPeakCeilingHz));
    peak.setFrequency(peakHz);
}

} // namespace DSP
