#include "dsp/filter/FilterKernels.h"

namespace DSP {

const FilterKernels& filterKernels() {
    static const FilterKernels& chosen = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")
                                             ? kernels_fma::table
                                             : kernels_baseline::table;
    return chosen;
}

} // namespace DSP
