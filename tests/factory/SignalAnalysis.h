// Measurements of rendered audio: levels, long-term band spectra and frame-by-frame trajectories of level
// and spectral centroid.
#pragma once

#include "factory/ReferenceSignals.h"

#include <vector>

namespace factory {

struct Levels {
    bool finite = true;
    double peak = 0.0;  // largest magnitude of either channel
    double rmsDb = 0.0; // of both channels together, dBFS
};
Levels measureLevels(const Stereo& s, size_t from = 0, size_t to = SIZE_MAX);

// Frames of 1024 samples of the channels' mean, Hann-windowed, every kHop samples.
constexpr size_t kFrame = 1024;
constexpr size_t kHop = 256;

struct Frames {
    std::vector<double> levelDb;     // frame RMS, dBFS (floored at -120)
    std::vector<double> centroidOct; // log2 of the spectral centroid in Hz
    // Frame band levels in dB relative to the frame's total, bands of kBandEdges
    std::vector<std::vector<double>> bandDb;
};
Frames analyseFrames(const Stereo& s, size_t from = 0, size_t to = SIZE_MAX);

// Third-octave bands from 50 Hz to 16 kHz.
const std::vector<double>& bandCentres();
// Power per band averaged over the whole signal, dB relative to the total.
std::vector<double> longTermBandsDb(const Stereo& s);
// Power per FFT bin (43 Hz at 44.1 kHz) averaged over the whole signal, dB, floored 60 dB under the
// loudest bin: the partials, where sidebands and comb notches show that bands average away.
std::vector<double> longTermBinsDb(const Stereo& s);

// Mean of the spectral centroid (log2 Hz) over frames whose level is within 40 dB of the loudest.
double meanCentroidOct(const Frames& f, size_t firstFrame, size_t lastFrame);

// Normalised autocorrelation of a trajectory (mean removed) at a lag given in frames, interpolating
// between whole lags.
double autocorrelation(const std::vector<double>& x, double lag);
double standardDeviation(const std::vector<double>& x);
// Root mean square of a - b.
double rmsDifference(const std::vector<double>& a, const std::vector<double>& b);

} // namespace factory
