#include "dsp/filter/StereoBiquad.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace DSP {

CStereoBiquad::CStereoBiquad() : kernels(&filterKernels()) {
    redesign();
}

void CStereoBiquad::setSampleRate(double newRate) {
    if (!(newRate > 0.0) || newRate == rate) return;
    rate = newRate;
    redesign();
}

void CStereoBiquad::setFrequency(float hz) {
    setPeak(hz, gainDb, width);
}

void CStereoBiquad::setType(int newType) {
    if (newType == type) return;
    type = newType;
    redesign();
}

void CStereoBiquad::setBandwidth(float bandwidthOrQ) {
    setPeak(centreHz, gainDb, bandwidthOrQ);
}

void CStereoBiquad::setBandwidthInOctaves(bool on) {
    if (on == bandwidthInOctaves) return;
    bandwidthInOctaves = on;
    redesign();
}

void CStereoBiquad::setPeak(float hz, float dB, float bandwidthOrQ, int rampSamples) {
    if (!std::isfinite(hz) || !std::isfinite(dB) || !std::isfinite(bandwidthOrQ)) return;
    hz = std::clamp(hz, 1.0f, static_cast<float>(rate * 0.5));
    if (hz == centreHz && dB == gainDb && bandwidthOrQ == width) return;
    centreHz = hz;
    gainDb = dB;
    width = bandwidthOrQ;
    redesign(rampSamples);
}

void CStereoBiquad::redesign(int rampSamples) {
    // A moving peak keeps its gain: the power is taken again only when the gain changes.
    if (gainDb != amplitudeOfGain) {
        amplitudeOfGain = gainDb;
        amplitude = std::pow(10.0, gainDb / 40.0);
    }
    const BiquadCoefficients next = designed();
    identity = next.b0 == 1.0 && next.b1 == next.a1 && next.b2 == next.a2;
    if (rampSamples <= 0) {
        coeffs = next;
        rampLeft = 0;
        return;
    }
    const double scale = 1.0 / rampSamples;
    target = next;
    step = {(next.b0 - coeffs.b0) * scale, (next.b1 - coeffs.b1) * scale, (next.b2 - coeffs.b2) * scale,
            (next.a1 - coeffs.a1) * scale, (next.a2 - coeffs.a2) * scale};
    rampLeft = rampSamples;
}

BiquadCoefficients CStereoBiquad::designed() const {
    // Below Nyquist too: at w0 = π the bandwidth term w0 / sin(w0) has no value.
    const double f = std::min(std::clamp(static_cast<double>(centreHz), 5.0, 20000.0), 0.49 * rate);
    const double w0 = 2.0 * std::numbers::pi * f / rate;
    const double sinW = std::sin(w0), cosW = std::cos(w0);
    const double alpha = bandwidthInOctaves ? sinW * std::sinh(std::numbers::ln2 / 2.0 * width * w0 / sinW)
                                            : sinW / (2.0 * width);
    const double a = amplitude;
    const double rootA2Alpha = 2.0 * std::sqrt(a) * alpha;

    double b0 = 0, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    switch (type) {
    case LowPass:
        b1 = 1.0 - cosW, b0 = b1 / 2.0, b2 = b0;
        a0 = 1.0 + alpha, a1 = -2.0 * cosW, a2 = 1.0 - alpha;
        break;
    case HighPass:
        b1 = -(1.0 + cosW), b0 = -b1 / 2.0, b2 = b0;
        a0 = 1.0 + alpha, a1 = -2.0 * cosW, a2 = 1.0 - alpha;
        break;
    case BandPassSkirt:
        b0 = sinW / 2.0, b1 = 0.0, b2 = -b0;
        a0 = 1.0 + alpha, a1 = -2.0 * cosW, a2 = 1.0 - alpha;
        break;
    case BandPass:
        b0 = alpha, b1 = 0.0, b2 = -alpha;
        a0 = 1.0 + alpha, a1 = -2.0 * cosW, a2 = 1.0 - alpha;
        break;
    case Notch:
        b0 = 1.0, b1 = -2.0 * cosW, b2 = 1.0;
        a0 = 1.0 + alpha, a1 = -2.0 * cosW, a2 = 1.0 - alpha;
        break;
    case AllPass:
        b0 = 1.0 - alpha, b1 = -2.0 * cosW, b2 = 1.0 + alpha;
        a0 = 1.0 + alpha, a1 = -2.0 * cosW, a2 = 1.0 - alpha;
        break;
    case Peaking:
        b0 = 1.0 + alpha * a, b1 = -2.0 * cosW, b2 = 1.0 - alpha * a;
        a0 = 1.0 + alpha / a, a1 = -2.0 * cosW, a2 = 1.0 - alpha / a;
        break;
    case LowShelf:
        b0 = a * ((a + 1.0) - (a - 1.0) * cosW + rootA2Alpha);
        b1 = 2.0 * a * ((a - 1.0) - (a + 1.0) * cosW);
        b2 = a * ((a + 1.0) - (a - 1.0) * cosW - rootA2Alpha);
        a0 = (a + 1.0) + (a - 1.0) * cosW + rootA2Alpha;
        a1 = -2.0 * ((a - 1.0) + (a + 1.0) * cosW);
        a2 = (a + 1.0) + (a - 1.0) * cosW - rootA2Alpha;
        break;
    case HighShelf:
        b0 = a * ((a + 1.0) + (a - 1.0) * cosW + rootA2Alpha);
        b1 = -2.0 * a * ((a - 1.0) + (a + 1.0) * cosW);
        b2 = a * ((a + 1.0) + (a - 1.0) * cosW - rootA2Alpha);
        a0 = (a + 1.0) - (a - 1.0) * cosW + rootA2Alpha;
        a1 = 2.0 * ((a - 1.0) - (a + 1.0) * cosW);
        a2 = (a + 1.0) - (a - 1.0) * cosW - rootA2Alpha;
        break;
    default:
        break;
    }
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

void CStereoBiquad::process(float& left, float& right) {
    const StereoDouble x{left, right};
    const BiquadCoefficients& c = coeffs;
    const StereoDouble y = (c.b0 * x + c.b1 * state.x1 + c.b2 * state.x2 - c.a2 * state.y2) - c.a1 * state.y1;
    state = {x, state.x1, y, state.y1};
    left = static_cast<float>(y[0]);
    right = static_cast<float>(y[1]);
}

void CStereoBiquad::advanceMove(int m) {
    if (rampLeft <= 0) return;
    rampLeft -= m;
    if (rampLeft == 0)
        coeffs = target;
    else
        coeffs = {coeffs.b0 + m * step.b0, coeffs.b1 + m * step.b1, coeffs.b2 + m * step.b2,
                  coeffs.a1 + m * step.a1, coeffs.a2 + m * step.a2};
}

void CStereoBiquad::process(float* left, float* right, int n) {
    if (rampLeft > 0) {
        const int m = std::min(n, rampLeft);
        kernels->runBiquadRamp(coeffs, step, state, left, right, m);
        advanceMove(m);
        left += m, right += m, n -= m;
    }
    if (identity) {
        // A 0 dB peak passes the signal unchanged; keep the history as if it had run.
        if (n >= 2) {
            state.x2 = state.y2 = StereoDouble{left[n - 2], right[n - 2]};
        } else if (n == 1) {
            state.x2 = state.y2 = state.x1;
        }
        if (n >= 1) state.x1 = state.y1 = StereoDouble{left[n - 1], right[n - 1]};
    } else {
        kernels->runBiquad(coeffs, state, left, right, n);
    }
    sanitize();
}

void CStereoBiquad::processSeries(CStereoBiquad& first, CStereoBiquad& second, float* left, float* right,
                                  int n) {
    while (n > 0) {
        if (first.isIdentity() || second.isIdentity()) {
            // One of them passes the signal: there is no waiting to share.
            first.process(left, right, n);
            second.process(left, right, n);
            return;
        }
        int m = n;
        if (first.rampLeft > 0) m = std::min(m, first.rampLeft);
        if (second.rampLeft > 0) m = std::min(m, second.rampLeft);
        first.kernels->runBiquadPair(first.move(), second.move(), left, right, m);
        first.advanceMove(m);
        second.advanceMove(m);
        left += m, right += m, n -= m;
    }
    first.sanitize();
    second.sanitize();
}

void CStereoBiquad::clearState() {
    state = BiquadState{};
}

bool CStereoBiquad::sanitize() {
    const StereoDouble probe = state.x1 * 0.0 + state.x2 * 0.0 + state.y1 * 0.0 + state.y2 * 0.0;
    if (probe[0] == 0.0 && probe[1] == 0.0) return false;
    clearState();
    return true;
}

} // namespace DSP
