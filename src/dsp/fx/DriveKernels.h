#pragma once

#include <xmmintrin.h>

namespace DSP::FX {

// The loops of the oversampled drive, compiled for the x86-64 baseline and for processors with AVX2 and
// fused multiply-add; driveKernels() picks the one the processor runs. Their recursions are short
// chains that wait for each other, so fused multiply-adds shorten them by about a third.
//
// Every register holds both all-pass branches of both channels of a half-band filter,
// {left branch 0, left branch 1, right branch 0, right branch 1}.
struct DriveFilters {
    __m128 wide;     // the single section of the three wide half-bands
    __m128 steep[3]; // the sections of the steep one, from twice the rate down to the host rate
    __m128 dcKeep, dcGain;
    __m128 curveK, curveKLess1; // the curve's constant k and k - 1
};

struct DriveState {
    // {input, output} of the last sample of each section.
    __m128 upOuter[2], upInner[2], downInner[2], downOuter[3][2];
    // The odd samples that the next half-band output takes on branch 1.
    __m128 heldInner, heldOuter;
    __m128 dcInput, dcOutput;
};

constexpr int kDriveChunk = 32;

struct DriveKernels {
    // At most kDriveChunk frames in place; weights[i] = {dry, wet·compensation, presence, ·} of frame i.
    void (*run)(const DriveFilters& filters, DriveState& state, const __m128* weights, float* left,
                float* right, int n);
};

const DriveKernels& driveKernels();

namespace drive_baseline {
extern const DriveKernels table;
}
namespace drive_fma {
extern const DriveKernels table;
}

} // namespace DSP::FX
