#include "factory/SignalAnalysis.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <numeric>

namespace factory {

namespace {

constexpr double kFloorDb = -120.0;
// Band levels further below the total than this are inaudible; their exact value does not count.
constexpr double kBandFloorDb = -60.0;

double toDb(double power) {
    return 10.0 * std::log10(std::max(power, 1e-12));
}

struct FftDeleter {
    void operator()(kiss_fftr_cfg cfg) const { kiss_fftr_free(cfg); }
};

// Power spectrum of one Hann-windowed frame of the channels' mean starting at 'at'.
class FrameSpectrum {
public:
    FrameSpectrum()
        : cfg_(kiss_fftr_alloc(int(kFrame), 0, nullptr, nullptr)), window_(kFrame), in_(kFrame),
          out_(kFrame / 2 + 1), power_(kFrame / 2 + 1) {
        for (size_t i = 0; i < kFrame; ++i)
            window_[i] = float(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(kFrame)));
    }
    const std::vector<double>& at(const Stereo& s, size_t start) {
        for (size_t i = 0; i < kFrame; ++i)
            in_[i] = 0.5f * (s.left[start + i] + s.right[start + i]) * window_[i];
        kiss_fftr(cfg_.get(), in_.data(), out_.data());
        for (size_t k = 0; k < power_.size(); ++k)
            power_[k] = double(out_[k].r) * out_[k].r + double(out_[k].i) * out_[k].i;
        return power_;
    }

private:
    std::unique_ptr<kiss_fftr_state, FftDeleter> cfg_;
    std::vector<float> window_, in_;
    std::vector<kiss_fft_cpx> out_;
    std::vector<double> power_;
};

double binFrequency(size_t k) {
    return double(k) * kSampleRate / double(kFrame);
}

// Bins [first, last) of each band.
const std::vector<std::pair<size_t, size_t>>& bandBins() {
    static const std::vector<std::pair<size_t, size_t>> bins = [] {
        std::vector<std::pair<size_t, size_t>> result;
        for (double centre : bandCentres()) {
            const double edge = std::pow(2.0, 1.0 / 6.0);
            size_t first = size_t(std::ceil(centre / edge * kFrame / kSampleRate));
            size_t last = size_t(std::ceil(centre * edge * kFrame / kSampleRate));
            result.emplace_back(first, std::max(last, first + 1));
        }
        return result;
    }();
    return bins;
}

std::vector<double> bandsDb(const std::vector<double>& power) {
    double total = 1e-30;
    for (size_t k = 1; k < power.size(); ++k) total += power[k];
    std::vector<double> result;
    for (auto [first, last] : bandBins()) {
        double sum = 0.0;
        for (size_t k = first; k < last; ++k) sum += power[k];
        result.push_back(std::max(kBandFloorDb, toDb(sum / total)));
    }
    return result;
}

} // namespace

Levels measureLevels(const Stereo& s, size_t from, size_t to) {
    to = std::min(to, s.frames());
    Levels levels;
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) {
        for (float x : {s.left[i], s.right[i]}) {
            if (!std::isfinite(x)) levels.finite = false;
            levels.peak = std::max(levels.peak, double(std::fabs(x)));
            sum += double(x) * x;
        }
    }
    levels.rmsDb = to > from ? toDb(sum / double(2 * (to - from))) : kFloorDb;
    return levels;
}

const std::vector<double>& bandCentres() {
    static const std::vector<double> centres = [] {
        std::vector<double> c;
        for (int i = -13; i <= 12; ++i) c.push_back(1000.0 * std::pow(2.0, i / 3.0));
        return c;
    }();
    return centres;
}

Frames analyseFrames(const Stereo& s, size_t from, size_t to) {
    to = std::min(to, s.frames());
    FrameSpectrum spectrum;
    Frames f;
    for (size_t at = from; at + kFrame <= to; at += kHop) {
        const std::vector<double>& power = spectrum.at(s, at);
        double total = 0.0, weighted = 0.0;
        for (size_t k = 1; k < power.size(); ++k) {
            total += power[k];
            weighted += power[k] * binFrequency(k);
        }
        // Hann window: mean square 3/8 of the signal's; the FFT sums kFrame samples' worth of power.
        const double meanSquare = 2.0 * total / (double(kFrame) * double(kFrame) * 0.375);
        f.levelDb.push_back(std::max(kFloorDb, toDb(meanSquare)));
        f.centroidOct.push_back(std::log2(total > 0.0 ? std::max(weighted / total, 20.0) : 20.0));
        f.bandDb.push_back(bandsDb(power));
    }
    return f;
}

namespace {

std::vector<double> longTermPower(const Stereo& s) {
    FrameSpectrum spectrum;
    std::vector<double> sum(kFrame / 2 + 1, 0.0);
    for (size_t at = 0; at + kFrame <= s.frames(); at += kFrame / 2) {
        const std::vector<double>& power = spectrum.at(s, at);
        for (size_t k = 0; k < sum.size(); ++k) sum[k] += power[k];
    }
    return sum;
}

} // namespace

std::vector<double> longTermBandsDb(const Stereo& s) {
    return bandsDb(longTermPower(s));
}

std::vector<double> longTermBinsDb(const Stereo& s) {
    const std::vector<double> power = longTermPower(s);
    const double loudest = *std::max_element(power.begin(), power.end());
    std::vector<double> db;
    for (size_t k = 1; k < power.size(); ++k) db.push_back(toDb(std::max(power[k], loudest * 1e-6)));
    return db;
}

double meanCentroidOct(const Frames& f, size_t firstFrame, size_t lastFrame) {
    lastFrame = std::min(lastFrame, f.levelDb.size());
    double loudest = kFloorDb;
    for (size_t i = firstFrame; i < lastFrame; ++i) loudest = std::max(loudest, f.levelDb[i]);
    double sum = 0.0;
    int count = 0;
    for (size_t i = firstFrame; i < lastFrame; ++i) {
        if (f.levelDb[i] < loudest - 40.0) continue;
        sum += f.centroidOct[i];
        ++count;
    }
    return count ? sum / count : 0.0;
}

double autocorrelation(const std::vector<double>& x, double lag) {
    const size_t whole = size_t(lag);
    if (x.size() < whole + 2) return 0.0;
    const double mean = std::accumulate(x.begin(), x.end(), 0.0) / double(x.size());
    auto at = [&](size_t l) {
        double num = 0.0, a2 = 0.0, b2 = 0.0;
        for (size_t i = 0; i + l < x.size(); ++i) {
            const double a = x[i] - mean, b = x[i + l] - mean;
            num += a * b;
            a2 += a * a;
            b2 += b * b;
        }
        return a2 > 0.0 && b2 > 0.0 ? num / std::sqrt(a2 * b2) : 0.0;
    };
    const double fraction = lag - double(whole);
    return (1.0 - fraction) * at(whole) + fraction * at(whole + 1);
}

double standardDeviation(const std::vector<double>& x) {
    if (x.empty()) return 0.0;
    const double mean = std::accumulate(x.begin(), x.end(), 0.0) / double(x.size());
    double sum = 0.0;
    for (double v : x) sum += (v - mean) * (v - mean);
    return std::sqrt(sum / double(x.size()));
}

double rmsDifference(const std::vector<double>& a, const std::vector<double>& b) {
    const size_t n = std::min(a.size(), b.size());
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return n ? std::sqrt(sum / double(n)) : 0.0;
}

} // namespace factory
