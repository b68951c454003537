#include "dsp/filter/FilterKernels.h"

namespace DSP::kernels_baseline {
#include "dsp/filter/FilterKernels.inc"
} // namespace DSP::kernels_baseline
