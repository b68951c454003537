#pragma once

#include "dsp/filter/FilterTypes.h"

namespace DSP {

// The per-sample loops of the filter core, compiled for the x86-64 baseline, for processors with AVX2
// and fused multiply-add, and for those that add AVX-512VL; filterKernels() picks the best the
// processor runs.
struct FilterKernels {
    // out = B(A(x)), or C(x) − B(A(x)) with complement; A, B and C have the same section count.
    void (*runFilter)(CascadeView a, CascadeView b, CascadeView c, bool complement, const float* inL,
                      const float* inR, float* outL, float* outR, int n);
    // The same while the design moves: before each sample the coefficients of A and B take one `step`
    // and those of C one `allPassStep` (in the views' designs, which stay as they were).
    void (*runFilterRamp)(CascadeView a, CascadeView b, CascadeView c, const FilterDesign& step,
                          const FilterDesign& allPassStep, bool complement, const float* inL,
                          const float* inR, float* outL, float* outR, int n);
    void (*runCascade)(CascadeView cascade, float* left, float* right, int n);
    void (*runBiquad)(const BiquadCoefficients& coefficients, BiquadState& state, float* left, float* right,
                      int n);
    void (*runBiquadRamp)(const BiquadCoefficients& start, const BiquadCoefficients& step, BiquadState& state,
                          float* left, float* right, int n);
    // second(first(x)) in place, with the output of the first rounded to float as if each ran alone.
    void (*runBiquadPair)(const BiquadMove& first, const BiquadMove& second, float* left, float* right,
                          int n);
};

const FilterKernels& filterKernels();

namespace kernels_baseline {
extern const FilterKernels table;
}
namespace kernels_fma {
extern const FilterKernels table;
}
namespace kernels_avx512 {
extern const FilterKernels table;
}

} // namespace DSP
