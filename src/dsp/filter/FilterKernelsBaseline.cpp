#include "dsp/filter/FilterKernels.h"

// The four-lane filter steps pass 32-byte vectors only between functions of this file (internal
// linkage), so the argument-passing change that GCC warns about without AVX never meets other code.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace DSP::kernels_baseline {
#include "dsp/filter/FilterKernels.inc"
} // namespace DSP::kernels_baseline
