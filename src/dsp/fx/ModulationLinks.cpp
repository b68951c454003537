#include "dsp/fx/ModulationLinks.h"

#include <algorithm>
#include <cmath>

namespace DSP::FX {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

} // namespace

double linkedToLowPass(const SkewedRange& setting, double value, double lowPassNormalised, double percent) {
    const double m = setting.toNormalised(value);
    const double x = percent >= 0.0 ? m + (lowPassNormalised - m) * percent
                                    : m - std::fabs(percent) * lowPassNormalised * m;
    return setting.toPlain(x);
}

CRingModControl::CRingModControl(const SkewedRange& frequencyRange) : range(frequencyRange) {}

float CRingModControl::update(CFXRingMod& ring, double lowPassNormalised) {
    const float percent = linkPercent.load(kRelaxed);
    float hz = frequency.load(kRelaxed);
    if (percent != 0.0f)
        hz = static_cast<float>(range.clamp(linkedToLowPass(range, hz, lowPassNormalised, percent)));
    effective.store(hz, kRelaxed);
    ring.setParameter(CFXRingMod::kFrequency, hz);
    ring.setParameter(CFXRingMod::kMix, mix.load(kRelaxed));
    return hz;
}

CFreqModControl::CFreqModControl(const SkewedRange& frequencyRange, const SkewedRange& mixRange)
    : frequencyRange(frequencyRange), mixRange(mixRange) {}

void CFreqModControl::setFrequency(float hz) {
    frequency.store(hz, kRelaxed);
    changed();
}

void CFreqModControl::setMix(float value) {
    mix.store(value, kRelaxed);
    changed();
}

void CFreqModControl::setLinkFrequencyPercent(float percent) {
    linkFrequency.store(percent, kRelaxed);
    changed();
}

void CFreqModControl::setLinkMixPercent(float percent) {
    linkMix.store(percent, kRelaxed);
    changed();
}

bool CFreqModControl::isLinked() const {
    return linkFrequency.load(kRelaxed) != 0.0f || linkMix.load(kRelaxed) != 0.0f;
}

void CFreqModControl::update(CVibrato& vibrato, double lowPassNormalised) {
    const std::uint32_t current = version.load(kRelaxed);
    const bool linked = isLinked();
    if (current == appliedVersion && !linked) return;
    appliedVersion = current;

    float hz = frequency.load(kRelaxed);
    float amount = mix.load(kRelaxed);
    if (linked) {
        const double linkedHz =
            linkedToLowPass(frequencyRange, hz, lowPassNormalised, linkFrequency.load(kRelaxed));
        hz = static_cast<float>(std::clamp(linkedHz - 1.0, 0.0, 16000.0));
        const double linkedMix = linkedToLowPass(mixRange, amount, lowPassNormalised, linkMix.load(kRelaxed));
        amount = static_cast<float>(std::clamp(linkedMix, 0.0, 1.0));
    }
    rate.store(hz, kRelaxed);
    appliedMix.store(amount, kRelaxed);
    vibrato.setParameter(CVibrato::kRate, hz);
    vibrato.setParameter(CVibrato::kMix, amount);
}

} // namespace DSP::FX
