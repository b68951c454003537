#pragma once

#include "dsp/modulation/LfoOscillator.h"

#include <atomic>
#include <cstdint>

namespace DSP {

// The LFO as the effect drives it: parameter settings, tempo (host or BPM override), and restarts
// aligned to the song-position grid of the sync division while the transport plays.
//
// Settings are written by the parameter handler from any thread and take effect at the next advance().
// Per block on the audio thread: value = advance(n, hostTempo, playing, songPosition); the filters are
// then modulated with lfoModulatedCutoff(cutoff, value, strength).
class CLFOController {
public:
    CLFOController();

    // Not real-time (host sample-rate change): restarts the oscillator.
    void setSampleRate(double rate);

    // "LFO Rate": plain value in Hz and its normalised position (which picks the division when synced).
    void setRate(float hz, float normalised);
    void setSync(bool on); // "LFO Sync"
    // "LFO Shape" 0..5: restarts the oscillator at the next advance(), also when the shape is unchanged.
    void setShape(int value);
    // "LFO Shift" 0..1: applied again at the next advance(), also when unchanged (the phase shapes start
    // over at the shift; a sine turns by the change only).
    void setShift(float cycles);
    void setBpmOverride(int bpm); // "LFO BPM": 30 and above replace the host tempo
    // Recompute the restart grid at the next synced block (rate, shape, sync, shift changes and the
    // bypass reset do this).
    void requestRealign() { realignRequested.store(true, std::memory_order_relaxed); }

    // Runs the oscillator over n samples and returns their average, the block's LFO value.
    float advance(int n, double hostTempo, bool playing, double songPosition);

    float blockValue() const { return value; }
    void reset() { value = 0.0f; }

    const Generators::CLFOOscillator& oscillator() const { return lfo; }
    bool isSyncActive() const { return syncActive; }
    // Samples until the next aligned restart, -1 when none is scheduled.
    long long samplesToRestart() const { return restartCounter; }

private:
    void applySettings();
    void align(double tempo, double songPosition);
    double blockTempo(double hostTempo) const;

    Generators::CLFOOscillator lfo;

    std::atomic<float> rateHz{1.0f};
    std::atomic<float> rateNormalised{0.0f};
    std::atomic<bool> sync{false};
    std::atomic<int> shapeValue{0};
    std::atomic<float> shift{0.0f};
    std::atomic<bool> shapeSent{false};
    std::atomic<bool> shiftSent{false};
    std::atomic<int> bpmOverride{0};
    std::atomic<bool> realignRequested{false};
    std::atomic<std::uint32_t> settingsVersion{1};
    std::uint32_t appliedVersion = 0;

    bool syncActive = false;
    long long restartCounter = -1;
    double alignedPosition = 0.0;
    double lastTempo = 120.0;
    float value = 0.0f;
};

} // namespace DSP
