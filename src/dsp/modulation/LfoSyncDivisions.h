#pragma once

namespace DSP {

// Tempo-synced LFO divisions 1..24: straight, triplet ("T") and dotted ("D") note values.
struct SyncDivision {
    const char* label;
    double cyclesPerBeat;  // rate = tempo / 60 * cyclesPerBeat
    int gridCode;          // 1..7: 16, 8, 4, 2, 1, 1/2, 1/4 beats
    double gridMultiplier; // restart grid = gridCode's length * multiplier (two cycles for 2/1 and 2/1D)
};

constexpr int kSyncDivisionCount = 24;

// The division of sync index 1..24; null for any other index.
const SyncDivision* syncDivision(int index);

// Cycles per beat of a sync index; 1 for indices outside the table.
double syncCyclesPerBeat(int index);

// Sync index of the normalised "LFO Rate" position n: trunc(floor(23 n + 0.5) + 1), so 1..24.
int syncIndexFromNormalised(double n);

// Samples between aligned restarts: trunc(trunc(60 / tempo * 4000 * f(code) * sampleRate * 0.001)
// * multiplier) with f(1..7) = 4, 2, 1, 0.5, 0.25, 0.125, 0.0625. 0 when no grid applies (index outside
// the table, tempo not positive or not finite, or a grid too long to count).
long long syncGridSamples(int index, double tempo, double sampleRate);

} // namespace DSP
