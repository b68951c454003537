#include "dsp/fx/DriveKernels.h"

namespace DSP::FX::drive_baseline {
#include "dsp/fx/DriveKernels.inc"
} // namespace DSP::FX::drive_baseline
