#include "dsp/fx/RateReductionControl.h"

#include "dsp/modulation/SkewedRange.h"

#include <algorithm>
#include <cmath>

namespace DSP::FX {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

} // namespace

void CRateReductionControl::setLevel(float value) {
    level.store(value, kRelaxed);
    changed();
}

void CRateReductionControl::setLpLink(bool on) {
    lpLink.store(on, kRelaxed);
    changed();
}

void CRateReductionControl::setLinkAmount(float amount) {
    flip.store(amount < 0.0f, kRelaxed);
    linkAmount.store(std::fabs(amount), kRelaxed);
    changed();
}

void CRateReductionControl::setFlip(bool on) {
    flip.store(on, kRelaxed);
    changed();
}

float CRateReductionControl::effectiveLevel(float lowPassCutoff, bool settingsLoading) const {
    if (!isLpLinked() || settingsLoading) return level.load(kRelaxed);
    const double f =
        std::isfinite(lowPassCutoff) ? std::clamp(static_cast<double>(lowPassCutoff), 0.0, 22050.0) : 22050.0;
    const double p = DSP::skew(f / 22050.0, -20.0);
    const double amount = linkAmount.load(kRelaxed);
    if (isFlipped()) {
        const double a = amount * 0.9;
        return static_cast<float>((1.0 - p) * a + (1.0 - a));
    }
    return static_cast<float>(1.0 - (1.0 - p) * amount);
}

void CRateReductionControl::apply(CRateReduction& reducer, float v) {
    reducer.setDepth(0.3f + 0.7f * v);
    reducer.setRate(v);
}

void CRateReductionControl::update(CRateReduction& reducer, float lowPassCutoff, bool settingsLoading) {
    const std::uint32_t current = version.load(kRelaxed);
    if (current == appliedVersion && !isLpLinked()) return;
    appliedVersion = current;
    apply(reducer, effectiveLevel(lowPassCutoff, settingsLoading));
}

} // namespace DSP::FX
