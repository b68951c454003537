#pragma once

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace kavren::test {

// Impulse response of a stereo in-place block processor, taken from the left channel in blocks of 64.
template <typename Process> std::vector<float> impulseResponse(Process&& process, int length) {
    std::vector<float> left(length, 0.0f), right(length, 0.0f);
    left[0] = right[0] = 1.0f;
    for (int pos = 0; pos < length; pos += 64) process(left.data() + pos, right.data() + pos, 64);
    return left;
}

// H(f) = Σ h[n]·e^(−jωn) of a measured impulse response.
inline std::complex<double> responseAt(const std::vector<float>& h, double hz, double rate) {
    const double omega = 2.0 * std::numbers::pi * hz / rate;
    std::complex<double> sum = 0.0;
    for (std::size_t n = 0; n < h.size(); ++n) sum += static_cast<double>(h[n]) * std::polar(1.0, -omega * n);
    return sum;
}

inline double decibels(double linear) {
    return 20.0 * std::log10(linear);
}

// Magnitude of an order-N Butterworth run twice (bilinear, pre-warped): 1 / (1 + r^2N) for the
// low-pass, r^2N / (1 + r^2N) for the high-pass, r = tan(πf/fs) / tan(πfc/fs).
inline double squaredButterworth(bool highPass, int order, double hz, double cutoffHz, double rate) {
    const double r = std::tan(std::numbers::pi * hz / rate) / std::tan(std::numbers::pi * cutoffHz / rate);
    const double r2n = std::pow(r, 2.0 * order);
    return (highPass ? r2n : 1.0) / (1.0 + r2n);
}

} // namespace kavren::test
