#include "editor/display/FilterCurve.h"

#include "dsp/filter/ButterworthDesign.h"
#include "dsp/filter/FilterControl.h"
#include "dsp/filter/StereoBiquad.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace Mirda {

namespace {

double sectionMagnitudeDb(const DSP::BiquadCoefficients& c, double omega) {
    const std::complex<double> z1 = std::polar(1.0, -omega), z2 = z1 * z1;
    const std::complex<double> h = (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2);
    return 20.0 * std::log10(std::max(std::abs(h), 1e-300));
}

} // namespace

CFilterCurve::CFilterCurve(int plotWidth, double sampleRate) : sampleRate_(sampleRate) {
    const int n = std::max(plotWidth / 2, 1);
    frequencies_.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        frequencies_[size_t(i)] = kMinimumHz * std::pow(kMaximumHz / kMinimumHz, double(i) / double(n));
}

void CFilterCurve::compute(const FilterCurveSettings& s, std::vector<double>& decibels) const {
    // The settled state of the effect's filter control: the filter at the target (whole hertz, 10 Hz to
    // 22 kHz), the peak at the target up to its ceiling with the shape the control gives it.
    const double target = std::clamp(s.cutoffHz, 0.0, 22050.0);
    const int order = 1 << (std::clamp(s.slopeSetting, 1, 4) - 1);
    const DSP::FilterDesign design =
        designButterworth(s.highPass ? DSP::FilterResponse::HighPass : DSP::FilterResponse::LowPass, order,
                          std::clamp(std::floor(target), 10.0, 22000.0), sampleRate_);
    const DSP::CFilterControl::PeakShape shape =
        DSP::CFilterControl::peakShape(target, float(s.resonance), float(s.resonanceWidth));
    DSP::CStereoBiquad peak;
    peak.setSampleRate(sampleRate_);
    peak.setPeak(float(std::min(target, DSP::CFilterControl::kPeakCeilingHz)), float(shape.gainDb),
                 float(shape.octaves));
    decibels.assign(frequencies_.size(), kFloorDb);
    for (size_t i = 0; i < frequencies_.size(); ++i) {
        if (frequencies_[i] >= sampleRate_ / 2) break;
        const double omega = 2.0 * std::numbers::pi * frequencies_[i] / sampleRate_;
        double dB = 0.0;
        for (int k = 0; k < design.sections; ++k) dB += sectionMagnitudeDb(design.section[k], omega);
        // The effect runs the design twice in series; in series routing the high-pass is the complement
        // of the squared low-pass, whose magnitude is the same squared high-pass.
        dB = 2.0 * dB + sectionMagnitudeDb(peak.coefficients(), omega);
        decibels[i] = std::max(dB, kFloorDb);
    }
}

double CFilterCurve::xOfFrequency(double hz, double left, double width) {
    return std::round(left + width * std::log(hz / kMinimumHz) / std::log(kMaximumHz / kMinimumHz));
}

} // namespace Mirda
