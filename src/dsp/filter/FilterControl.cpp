#include "dsp/filter/FilterControl.h"

#include <algorithm>
#include <cmath>

namespace DSP {

float CFilterControl::inertiaFromParameter(float v) {
    const float rest = 1.0f - v;
    return std::clamp(1.0f - rest * rest * rest, 0.001f, 1.0f);
}

void CFilterControl::update(double targetHz, float resonanceAmount, float resonanceWidth, float inertia,
                            CStereoFilter& filter, CStereoBiquad& peak) {
    if (!std::isfinite(targetHz) || !std::isfinite(resonanceAmount) || !std::isfinite(resonanceWidth) ||
        !std::isfinite(inertia))
        return;
    targetHz = std::clamp(targetHz, 0.0, 22050.0);
    glide(targetHz, inertia, filter, peak);
    placePeak(targetHz, resonanceAmount, resonanceWidth, peak);
}

void CFilterControl::glide(double targetHz, float inertia, CStereoFilter& filter, CStereoBiquad& peak) {
    if (std::fabs(targetHz - smoothedHz) <= 1.0) return;
    double k = 0.505, r = 8.05;
    if (filter.order() * 12 > 24) {
        k = 0.505 - 0.40000000327825547 * inertia;
        r = 8.05 - 7.009499955177308 * inertia;
    }
    double x = smoothedHz + 1e-19 + k * (targetHz - smoothedHz);
    const double lo = std::max(10.0, smoothedHz);
    if (x > lo && x > lo * r) x = lo * r;
    if (x <= lo && x < lo / r) x = lo / r;
    smoothedHz = x;
    filter.setCutoff(x);
    peak.setFrequency(static_cast<float>(std::min(x, kPeakCeilingHz)));
}

void CFilterControl::placePeak(double targetHz, float resonanceAmount, float resonanceWidth,
                               CStereoBiquad& peak) {
    smoothedAmount = smoothedAmount + 0.105f * (resonanceAmount - smoothedAmount) + 1e-19f;
    const PeakShape shape = peakShape(targetHz, smoothedAmount, resonanceWidth);
    peak.setPeak(peak.frequency(), static_cast<float>(shape.gainDb), static_cast<float>(shape.octaves));
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
    peak.setFrequency(static_cast<float>(std::min(cutoffHz, kPeakCeilingHz)));
}

} // namespace DSP
