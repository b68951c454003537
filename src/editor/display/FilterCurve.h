// The filter display's curves: the magnitude response of one filter computed from its settings with the
// effect's own filter design (never measured from audio), over a logarithmic axis from 22 Hz to 22050 Hz.
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
    static constexpr double kModelRate = 44100.0;

    // One point every 2 pixels of the plot's width.
    explicit CFilterCurve(int plotWidth);

    int points() const { return int(frequencies_.size()); }
    double frequencyAt(int point) const { return frequencies_[std::size_t(point)]; }
    // Magnitude in dB at every point: the squared Butterworth of the slope plus the resonance peak,
    // never below kFloorDb.
    void compute(const FilterCurveSettings& settings, std::vector<double>& decibels) const;

    // The resonance peak alone at one frequency, in dB.
    static double resonancePeakDb(double cutoffHz, double resonance, double widthOctaves, double hz);
    // Pixel column of a frequency inside a plot of the given left edge and width.
    static double xOfFrequency(double hz, double left, double width);

private:
    std::vector<double> frequencies_;
};

} // namespace Mirda
