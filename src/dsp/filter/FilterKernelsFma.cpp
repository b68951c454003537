// Built with AVX2, FMA and contraction of a·b + c into fused operations (see CMakeLists.txt).
#include "dsp/filter/FilterKernels.h"

namespace DSP::kernels_fma {
#include "dsp/filter/FilterKernels.inc"
} // namespace DSP::kernels_fma
