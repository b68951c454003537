#include "dsp/modulation/LfoController.h"

#include "dsp/modulation/LfoSyncDivisions.h"

#include <cmath>
#include <cstdlib>

namespace DSP {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

} // namespace

CLFOController::CLFOController() {
    lfo.setTempo(lastTempo);
}

void CLFOController::setSampleRate(double rate) {
    lfo.setSampleRate(rate);
}

void CLFOController::setRate(float hz, float normalised) {
    rateHz.store(hz, kRelaxed);
    rateNormalised.store(normalised, kRelaxed);
    requestRealign();
    settingsVersion.fetch_add(1, kRelaxed);
}

void CLFOController::setSync(bool on) {
    sync.store(on, kRelaxed);
    requestRealign();
    settingsVersion.fetch_add(1, kRelaxed);
}

void CLFOController::setShape(int value) {
    shapeValue.store(value, kRelaxed);
    shapeSent.store(true, kRelaxed);
    requestRealign();
    settingsVersion.fetch_add(1, kRelaxed);
}

void CLFOController::setShift(float cycles) {
    shift.store(cycles, kRelaxed);
    shiftSent.store(true, kRelaxed);
    requestRealign();
    settingsVersion.fetch_add(1, kRelaxed);
}

void CLFOController::setBpmOverride(int bpm) {
    bpmOverride.store(bpm, kRelaxed);
}

// Rate and sync only redo the rate setup. Every shape sent, changed or not, restarts the oscillator, and
// every shift sent is applied again, which puts the phase shapes back at the shifted start (a sine
// phasor turns by the difference to its applied shift only); so a preset load, which sends every value
// again, starts the LFO afresh.
void CLFOController::applySettings() {
    const std::uint32_t version = settingsVersion.load(kRelaxed);
    if (version == appliedVersion) return;
    appliedVersion = version;

    const int syncIndex = sync.load(kRelaxed) ? syncIndexFromNormalised(rateNormalised.load(kRelaxed)) : 0;
    if (syncIndex != lfo.getSyncIndex()) lfo.setSyncIndex(syncIndex);
    lfo.setRate(rateHz.load(kRelaxed));

    if (shapeSent.exchange(false, kRelaxed))
        lfo.setShape(Generators::CLFOOscillator::shapeFromParameter(shapeValue.load(kRelaxed)));
    if (shiftSent.exchange(false, kRelaxed)) lfo.setShift(shift.load(kRelaxed));
}

double CLFOController::blockTempo(double hostTempo) const {
    const int bpm = bpmOverride.load(kRelaxed);
    const double tempo = bpm >= 30 ? static_cast<double>(bpm) : hostTempo;
    return std::isfinite(tempo) && tempo > 0.0 ? tempo : 0.0;
}

// Schedules the next restart on the next multiple of the grid G in song time. A scheduled restart is
// kept while the song position stays within one grid length of the position it was computed from; a
// jump further away, a transport start or a re-align request computes it anew.
void CLFOController::align(double tempo, double songPosition) {
    const long long grid = syncGridSamples(lfo.getSyncIndex(), tempo, lfo.getSampleRate());
    if (grid <= 0 || !std::isfinite(songPosition) || std::fabs(songPosition) > 9e15) return;
    if (restartCounter >= 0 && std::fabs(alignedPosition - songPosition) <= static_cast<double>(grid)) return;
    const long long position = static_cast<long long>(std::trunc(songPosition));
    restartCounter = ((grid - position % grid) % grid + grid) % grid;
    alignedPosition = songPosition;
}

float CLFOController::advance(int n, double hostTempo, bool playing, double songPosition) {
    applySettings();
    const double tempo = blockTempo(hostTempo);

    if (!playing || !sync.load(kRelaxed)) {
        syncActive = false;
        restartCounter = -1;
    } else {
        const bool realign = realignRequested.exchange(false, kRelaxed);
        if (!syncActive || realign) restartCounter = -1;
        syncActive = true;
        align(tempo, songPosition);
    }

    if (tempo != lastTempo) {
        lastTempo = tempo;
        lfo.setTempo(tempo);
    }

    if (n <= 0) {
        value = 0.0f;
        return value;
    }
    // Runs of ticks between restarts; the restart falls on the sample where the counter reaches 0.
    double sum = 0.0;
    int done = 0;
    while (done < n) {
        if (restartCounter == 0) {
            lfo.restart();
            restartCounter = -1;
        }
        int run = n - done;
        if (restartCounter > 0 && restartCounter < run) run = static_cast<int>(restartCounter);
        sum += lfo.tickSum(run);
        if (restartCounter > 0) restartCounter -= run;
        done += run;
    }
    value = static_cast<float>(sum / n);
    return value;
}

} // namespace DSP
