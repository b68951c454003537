#include "editor/display/SpectrumAnalyser.h"

#include "dsp/SampleRing.h"

#include <kiss_fft.h> // from the folder kissfft-float's pkg-config names, on every system

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>

namespace Mirda {

namespace {

constexpr int kWeightSteps = 65535;
constexpr int kHoldDraws = 10;

// 0.5·(1 − cos(π·x)) for x in [0, 1], built once per process.
const std::array<float, kWeightSteps>& interpolationWeights() {
    static const auto table = [] {
        std::array<float, kWeightSteps> t{};
        for (int i = 0; i < kWeightSteps; ++i)
            t[size_t(i)] = float(0.5 * (1.0 - std::cos(std::numbers::pi * double(i) / (kWeightSteps - 1))));
        return t;
    }();
    return table;
}

} // namespace

CSpectrumAnalyser::CSpectrumAnalyser(double range, double sampleRate)
    : range_(range), binWidth_(sampleRate / kSize), fft_(kiss_fft_alloc(kSize, 0, nullptr, nullptr)),
      frame_(kSize), window_(kSize), windowed_(kSize), bins_(kSize), current_(kSize, -90.0),
      shown_(kSize, -90.0), peaks_(kSize, -90.0), holds_(kSize, 0) {
    interpolationWeights();
    // Blackman, 0.42 − 0.5·cos x + 0.08·cos 2x written with c = cos x.
    for (int i = 0; i < kSize; ++i) {
        const double c = std::cos(2.0 * std::numbers::pi * i / (kSize - 1));
        window_[size_t(i)] = float(0.34 - 0.5 * c + 0.16 * c * c);
    }
}

CSpectrumAnalyser::~CSpectrumAnalyser() {
    kiss_fft_free(fft_);
}

bool CSpectrumAnalyser::update(const CSpectrumFeed& feed) {
    if (feed.written() < lastFrameEnd_ + kHop) return false;
    uint64_t end = 0;
    if (!feed.readLatest(frame_.data(), kSize, end)) return false;
    lastFrameEnd_ = end;
    analyse(frame_.data());
    return true;
}

void CSpectrumAnalyser::analyse(const float* frame) {
    for (int i = 0; i < kSize; ++i) windowed_[size_t(i)] = {frame[i] * window_[size_t(i)], 0.0f};
    kiss_fft(fft_, reinterpret_cast<const kiss_fft_cpx*>(windowed_.data()),
             reinterpret_cast<kiss_fft_cpx*>(bins_.data()));
    for (int k = 0; k < kSize; ++k) {
        const double power = std::norm(std::complex<double>(bins_[size_t(k)]));
        const double dB = power > 0.0 ? std::log(power) * 8.685889 + 40.0 : -range_;
        current_[size_t(k)] = std::clamp(dB, -range_, 100.0);
    }
}

void CSpectrumAnalyser::smooth() {
    bool rose = false;
    for (int k = 0; k < kSize; ++k) {
        double& shown = shown_[size_t(k)];
        shown = std::max(shown, -range_);
        const double target = current_[size_t(k)];
        shown = target > shown ? target : shown + (target - shown) * 0.1 + 1e-24;
        if (peaksShown_ && shown > peaks_[size_t(k)]) {
            peaks_[size_t(k)] = shown;
            rose = true;
        }
    }
    if (!peaksShown_) return;
    for (int k = 0; k < kSize; ++k) {
        if (rose)
            holds_[size_t(k)] = kHoldDraws;
        else if (holds_[size_t(k)] == 0)
            peaks_[size_t(k)] += (shown_[size_t(k)] - peaks_[size_t(k)]) * 0.05 + 1e-24;
        else
            --holds_[size_t(k)];
    }
}

double CSpectrumAnalyser::levelAt(const std::vector<double>& bins, double hz) const {
    const double position = hz / binWidth_;
    const int bin = int(std::floor(position));
    auto level = [&](int k) { return k >= 0 && k < kSize / 2 ? bins[size_t(k)] : -range_; };
    const double w = interpolationWeights()[size_t((position - bin) * (kWeightSteps - 1))];
    return level(bin) + (level(bin + 1) - level(bin)) * w;
}

} // namespace Mirda
