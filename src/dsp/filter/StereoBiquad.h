#pragma once

#include "dsp/filter/FilterKernels.h"
#include "dsp/filter/FilterTypes.h"

namespace DSP {

// Stereo second-order filter of the equaliser cookbook family, in double precision:
// y = b0·x + b1·x1 + b2·x2 − a1·y1 − a2·y2 on each channel.
// The effect uses it as the resonance peak after each filter (peaking type, bandwidth in octaves)
// and as the envelope follower's measure-point filter. Setters redesign only when a value changes;
// none of them allocates.
class CStereoBiquad {
public:
    enum Type {
        LowPass = 0,
        HighPass = 1,
        BandPassSkirt = 2, // constant skirt gain, peak gain Q
        BandPass = 3,      // constant 0 dB peak
        Notch = 4,
        AllPass = 5,
        Peaking = 6,
        LowShelf = 7,
        HighShelf = 8,
    };

    CStereoBiquad();

    void setSampleRate(double rate);
    // Clamped to [1, sampleRate / 2].
    void setFrequency(float hz);
    // Any type outside 0..8 gives all-zero coefficients (silence).
    void setType(int type);
    // Bandwidth in octaves when the bandwidth-in-octaves flag is set, else Q.
    void setBandwidth(float bandwidthOrQ);
    void setBandwidthInOctaves(bool on);
    // Frequency, gain and bandwidth at once with a single redesign; with rampSamples > 0 the coefficients
    // move there linearly over that many samples of process(…, n).
    void setPeak(float hz, float gainDb, float bandwidthOrQ, int rampSamples = 0);

    void process(float& left, float& right);
    // In place on n frames.
    void process(float* left, float* right, int n);
    // In place on n frames without the 0 dB shortcut and without sanitize(), for callers that filter a
    // block in pieces and check the state once at its end.
    void processPiece(float* left, float* right, int n) { kernels->runBiquad(coeffs, state, left, right, n); }
    // second.process(first.process(…)) on n frames in place, in one pass where both filter.
    static void processSeries(CStereoBiquad& first, CStereoBiquad& second, float* left, float* right, int n);
    void clearState();
    // Clears the state when it holds a NaN or infinity; returns whether it did. process(…, n) calls it.
    bool sanitize();

    // Passes the signal unchanged (a 0 dB peak) and is not moving.
    bool isIdentity() const { return identity && rampLeft == 0; }
    float frequency() const { return centreHz; }
    float gain() const { return gainDb; }
    float bandwidth() const { return width; }
    const BiquadCoefficients& coefficients() const { return coeffs; }

private:
    void redesign(int rampSamples = 0);
    BiquadMove move() { return {&coeffs, rampLeft > 0 ? &step : nullptr, &state}; }
    // The coefficients after m samples of their move.
    void advanceMove(int m);
    BiquadCoefficients designed() const;

    double rate = 44100.0;
    int type = Peaking;
    float centreHz = 1000.0f;
    float width = 0.2f;
    float gainDb = 0.0f;
    double amplitude = 1.0;       // 10^(gain / 40)
    float amplitudeOfGain = 0.0f; // the gain it was taken for
    bool bandwidthInOctaves = true;
    BiquadCoefficients coeffs;
    bool identity = false; // numerator equals denominator, e.g. a peak of 0 dB
    BiquadCoefficients target, step;
    int rampLeft = 0;
    const FilterKernels* kernels;
    BiquadState state{};
};

} // namespace DSP
