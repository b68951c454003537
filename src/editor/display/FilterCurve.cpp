#include "editor/display/FilterCurve.h"

#include "dsp/filter/ButterworthDesign.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace Mirda {

namespace {

double sectionMagnitudeDb(const DSP::BiquadCoefficients& c, double omega) {
    const std::complex<double> z1 = std::polar(1.0, -omega), z2 = z1 * z1;
    const std::complex<double> h = (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2);
    return 20.0 * std::log10(std::max(std::abs(h), 1e-300));
}

} // namespace

CFilterCurve::CFilterCurve(int plotWidth) {
    const int n = std::max(plotWidth / 2, 1);
    frequencies_.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        frequencies_[size_t(i)] = kMinimumHz * std::pow(kMaximumHz / kMinimumHz, double(i) / double(n));
}

void CFilterCurve::compute(const FilterCurveSettings& s, std::vector<double>& decibels) const {
    const int order = 1 << (std::clamp(s.slopeSetting, 1, 4) - 1);
    const DSP::FilterDesign design =
        designButterworth(s.highPass ? DSP::FilterResponse::HighPass : DSP::FilterResponse::LowPass, order,
                          s.cutoffHz, kModelRate);
    decibels.assign(frequencies_.size(), 0.0);
    for (size_t i = 0; i < frequencies_.size(); ++i) {
        const double omega = 2.0 * M_PI * frequencies_[i] / kModelRate;
        double dB = 0.0;
        for (int k = 0; k < design.sections; ++k) dB += sectionMagnitudeDb(design.section[k], omega);
        // The effect runs the design twice in series.
        dB = 2.0 * dB + resonancePeakDb(s.cutoffHz, s.resonance, s.resonanceWidth, frequencies_[i]);
        decibels[i] = std::max(dB, kFloorDb);
    }
}

// A peaking section at the cut-off, 24 dB × resonance high, fading out below 100 Hz, designed at 96 kHz.
double CFilterCurve::resonancePeakDb(double cutoffHz, double resonance, double widthOctaves, double hz) {
    const double f = std::clamp(cutoffHz, 5.0, 48000.0);
    const double fade = f < 100.0 ? (f - 5.0) / 100.0 : 1.0;
    const double a = std::pow(10.0, fade * resonance * 24.0 / 40.0);
    const double w0 = 2.0 * M_PI * std::clamp(f, 2.0, 38400.0) / 96000.0;
    const double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2.0 * widthOctaves * w0 / std::sin(w0));
    const double norm = 1.0 + alpha / a;
    DSP::BiquadCoefficients c;
    c.b0 = (1.0 + alpha * a) / norm;
    c.b1 = c.a1 = -2.0 * std::cos(w0) / norm;
    c.b2 = (1.0 - alpha * a) / norm;
    c.a2 = (1.0 - alpha / a) / norm;
    return sectionMagnitudeDb(c, 2.0 * M_PI * hz / 96000.0);
}

double CFilterCurve::xOfFrequency(double hz, double left, double width) {
    return std::round(left + width * std::log(hz / kMinimumHz) / std::log(kMaximumHz / kMinimumHz));
}

} // namespace Mirda
