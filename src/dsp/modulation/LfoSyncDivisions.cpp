#include "dsp/modulation/LfoSyncDivisions.h"

#include <cmath>

namespace DSP {

namespace {

// 2/3 and 4/3 as single-precision values, as the divisions have always used them.
constexpr double kTwoThirds = static_cast<double>(2.0f / 3.0f);
constexpr double kFourThirds = static_cast<double>(4.0f / 3.0f);

constexpr SyncDivision kDivisions[kSyncDivisionCount] = {
    {"4/1", 1.0 / 16, 1, 1.0},
    {"3/1", 1.0 / 12, 3, 3.0},
    {"2/1", 1.0 / 8, 2, 2.0},
    {"1/1", 1.0 / 4, 3, 1.0},
    {"1/2", 1.0 / 2, 4, 1.0},
    {"1/4", 1.0, 5, 1.0},
    {"1/8", 2.0, 6, 1.0},
    {"1/16", 4.0, 7, 1.0},
    {"4/1T", 1.0 / 16 * 1.5, 1, kTwoThirds},
    {"3/1T", 1.0 / 12 * 1.5, 3, 2.0},
    {"2/1T", 1.0 / 8 * 1.5, 3, kFourThirds},
    {"1/1T", 1.0 / 4 * 1.5, 3, kTwoThirds},
    {"1/2T", 1.0 / 2 * 1.5, 4, kTwoThirds},
    {"1/4T", 1.0 * 1.5, 5, kTwoThirds},
    {"1/8T", 2.0 * 1.5, 6, kTwoThirds},
    {"1/16T", 4.0 * 1.5, 7, kTwoThirds},
    {"4/1D", 1.0 / 16 * kTwoThirds, 1, 1.5},
    {"3/1D", 1.0 / 12 * kTwoThirds, 3, 4.5},
    {"2/1D", 1.0 / 8 * kTwoThirds, 2, 3.0},
    {"1/1D", 1.0 / 4 * kTwoThirds, 3, 1.5},
    {"1/2D", 1.0 / 2 * kTwoThirds, 4, 1.5},
    {"1/4D", 1.0 * kTwoThirds, 5, 1.5},
    {"1/8D", 2.0 * kTwoThirds, 6, 1.5},
    {"1/16D", 4.0 * kTwoThirds, 7, 1.5},
};

constexpr double kGridBars[8] = {0.0, 4.0, 2.0, 1.0, 0.5, 0.25, 0.125, 0.0625};

} // namespace

const SyncDivision* syncDivision(int index) {
    if (index < 1 || index > kSyncDivisionCount) return nullptr;
    return &kDivisions[index - 1];
}

double syncCyclesPerBeat(int index) {
    const SyncDivision* division = syncDivision(index);
    return division ? division->cyclesPerBeat : 1.0;
}

int syncIndexFromNormalised(double n) {
    return static_cast<int>(std::floor(n * 23.0 + 0.5) + 1.0);
}

long long syncGridSamples(int index, double tempo, double sampleRate) {
    const SyncDivision* division = syncDivision(index);
    if (!division || !(tempo > 0.0) || !std::isfinite(tempo)) return 0;
    const double beatSpan =
        std::trunc(60.0 / tempo * 4000.0 * kGridBars[division->gridCode] * sampleRate * 0.001);
    const double grid = std::trunc(beatSpan * division->gridMultiplier);
    if (!(grid >= 1.0) || grid > 1e15) return 0;
    return static_cast<long long>(grid);
}

} // namespace DSP
