// Built with AVX2, FMA and AVX-512VL (see CMakeLists.txt): the same arithmetic as the FMA build, with
// 32 vector registers, which hold a four-section cascade pair without spilling.
#include "dsp/filter/FilterKernels.h"

namespace DSP::kernels_avx512 {
#include "dsp/filter/FilterKernels.inc"
} // namespace DSP::kernels_avx512
