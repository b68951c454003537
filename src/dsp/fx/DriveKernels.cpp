#include "dsp/fx/DriveKernels.h"

namespace DSP::FX {

const DriveKernels& driveKernels() {
    static const DriveKernels& chosen = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")
                                            ? drive_fma::table
                                            : drive_baseline::table;
    return chosen;
}

} // namespace DSP::FX
