// The filter display's curves: the magnitude response of one filter computed from its settings with the
// effect's own filter design and resonance rule at the effect's sample rate (never measured from audio),
// over a logarithmic axis from 22 Hz to 22050 Hz.
#pragma once

#include <cstddef>
#include <vector>

namespace Mirda {

struct FilterCurveSettings {
    double cutoffHz = 1000.0;
    int slopeSetting = 2; // 1..4: 12, 24, 48, 96 dB per octave
    double resonance = 0.0;
    double resonanceWidth = 1.0; // octaves
    bool highPass = false;
};

class CFilterCurve {
public:
    static constexpr double kMinimumHz = 22.0;
    static constexpr double kMaximumHz = 22050.0;
    static constexpr double kFloorDb = -200.0;

    // One point every 2 pixels of the plot's width; the filters run at `sampleRate`.
    explicit CFilterCurve(int plotWidth, double sampleRate = 44100.0);

    int points() const { return int(frequencies_.size()); }
    double frequencyAt(int point) const { return frequencies_[std::size_t(point)]; }
    // Magnitude in dB at every point as the effect filters once its cut-off and resonance have settled:
    // the squared Butterworth of the slope plus the resonance peak, never below kFloorDb (nor above the
    // Nyquist frequency, where nothing passes).
    void compute(const FilterCurveSettings& settings, std::vector<double>& decibels) const;
    // Pixel column of a frequency inside a plot of the given left edge and width.
    static double xOfFrequency(double hz, double left, double width);

private:
    std::vector<double> frequencies_;
    double sampleRate_;
};

} // namespace Mirda
