// The live spectrum under the filter curves, on the GUI thread: 2048-point frames of the processed
// signal (from the effect's spectrum feed), Blackman window, bin power in dB, then per draw a smoothed
// curve that rises at once and falls by a tenth of the distance, and an optional peak curve that holds
// for 10 draws after any rise.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

struct kiss_fft_state;
template <int Capacity> class CSampleRing;
using CSpectrumFeed = CSampleRing<8192>;

namespace Mirda {

class CSpectrumAnalyser {
public:
    static constexpr int kSize = 2048;
    static constexpr int kHop = kSize / 2;

    explicit CSpectrumAnalyser(double range = 90.0, double sampleRate = 44100.0);
    ~CSpectrumAnalyser();
    CSpectrumAnalyser(const CSpectrumAnalyser&) = delete;
    CSpectrumAnalyser& operator=(const CSpectrumAnalyser&) = delete;

    // Analyses the feed's latest frame once half a frame of new samples has arrived; false otherwise.
    bool update(const CSpectrumFeed& feed);
    // Window, FFT and bin levels of one frame of kSize samples.
    void analyse(const float* frame);
    // Once per draw: moves the shown values (and the peaks, when shown) toward the analysed ones.
    void smooth();

    void setPeaksShown(bool on) { peaksShown_ = on; }
    double range() const { return range_; }
    // Shown level (dB) at a frequency, interpolated between bins with a raised-cosine weight; a bin
    // outside the analysed range counts as −range.
    double shownLevelAt(double hz) const { return levelAt(shown_, hz); }
    double peakLevelAt(double hz) const { return levelAt(peaks_, hz); }
    const std::vector<double>& analysedLevels() const { return current_; }

private:
    double levelAt(const std::vector<double>& bins, double hz) const;

    double range_;
    double binWidth_;
    bool peaksShown_ = false;
    uint64_t lastFrameEnd_ = 0;
    kiss_fft_state* fft_;
    std::vector<float> frame_, window_;
    std::vector<std::complex<float>> windowed_, bins_;
    std::vector<double> current_, shown_, peaks_;
    std::vector<int> holds_;
};

} // namespace Mirda
