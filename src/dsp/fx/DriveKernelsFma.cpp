// Built with AVX2, FMA and contraction of a·b + c into fused operations (see CMakeLists.txt).
#include "dsp/fx/DriveKernels.h"

namespace DSP::FX::drive_fma {
#include "dsp/fx/DriveKernels.inc"
} // namespace DSP::FX::drive_fma
