#include "dsp/filter/FilterKernels.h"

namespace DSP {

const FilterKernels& filterKernels() {
    static const FilterKernels& chosen = []() -> const FilterKernels& {
        if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) return kernels_baseline::table;
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl"))
            return kernels_avx512::table;
        return kernels_fma::table;
    }();
    return chosen;
}

} // namespace DSP
