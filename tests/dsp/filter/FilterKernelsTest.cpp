#include "dsp/filter/FilterKernels.h"
#include "dsp/filter/ButterworthDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace DSP;

struct Channels {
    std::vector<float> left, right;
};

// The same noise through a complement filter of each order, one kernel table.
Channels filterWith(const FilterKernels& kernels, int order) {
    const FilterDesign design = designButterworth(FilterResponse::LowPass, order, 1500.0, 44100.0);
    const FilterDesign allPass = allPassOf(design);
    StereoDouble h[6][FilterDesign::maxSections + 1] = {};
    Channels run{std::vector<float>(4096), std::vector<float>(4096)};
    unsigned seed = 1;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 1664525u + 1013904223u;
        run.left[i] = static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
        run.right[i] = std::sin(0.01f * i);
    }
    for (int pos = 0; pos < 4096; pos += 88) {
        const int n = std::min(88, 4096 - pos);
        kernels.runFilter({&design, h[0], h[1]}, {&design, h[2], h[3]}, {&allPass, h[4], h[5]}, true,
                          run.left.data() + pos, run.right.data() + pos, run.left.data() + pos,
                          run.right.data() + pos, n);
    }
    return run;
}

// Both builds of the loops compute the same filter; fused multiply-add only changes the rounding.
TEST(FilterKernels, BaselineAndFusedBuildsAgree) {
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) GTEST_SKIP() << "no FMA";
    for (int order : {1, 2, 4, 8}) {
        const Channels baseline = filterWith(kernels_baseline::table, order);
        const Channels fused = filterWith(kernels_fma::table, order);
        for (int i = 0; i < 4096; ++i) {
            ASSERT_NEAR(baseline.left[i], fused.left[i], 1e-5f) << order << " " << i;
            ASSERT_NEAR(baseline.right[i], fused.right[i], 1e-5f) << order << " " << i;
        }
    }
}

} // namespace
