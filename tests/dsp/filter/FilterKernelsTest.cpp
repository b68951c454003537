#include "dsp/filter/FilterKernels.h"
#include "dsp/filter/ButterworthDesign.h"
#include "utilities/WhiteNoise.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    KavrenTest::WhiteNoise white(1);
    for (int i = 0; i < 4096; ++i) {
        run.left[i] = white.next();
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

// The builds this processor runs.
std::vector<const FilterKernels*> runnableKernels() {
    std::vector<const FilterKernels*> tables{&kernels_baseline::table};
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        tables.push_back(&kernels_fma::table);
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl"))
        tables.push_back(&kernels_avx512::table);
    return tables;
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

// The AVX-512 build only has more registers: its results are those of the FMA build to the last bit.
TEST(FilterKernels, Avx512BuildEqualsTheFusedBuild) {
    if (runnableKernels().size() < 3) GTEST_SKIP() << "no AVX-512VL";
    for (int order : {1, 2, 4, 8}) {
        const Channels fused = filterWith(kernels_fma::table, order);
        const Channels wide = filterWith(kernels_avx512::table, order);
        EXPECT_EQ(fused.left, wide.left) << order;
        EXPECT_EQ(fused.right, wide.right) << order;
    }
}

// A plain model of the squared filter: every section of A, then of B, and the all-pass C, in double.
struct ModelCascade {
    const FilterDesign* design;
    double x1[FilterDesign::maxSections + 1] = {}, x2[FilterDesign::maxSections + 1] = {};
    double tick(double x) {
        for (int s = 0; s < design->sections; ++s) {
            const BiquadCoefficients& c = design->section[s];
            const double y = c.b0 * x + c.b1 * x1[s] + c.b2 * x2[s] - c.a1 * x1[s + 1] - c.a2 * x2[s + 1];
            x2[s] = x1[s], x1[s] = x;
            x = y;
        }
        x2[design->sections] = x1[design->sections], x1[design->sections] = x;
        return x;
    }
};

// The loops run cascades side by side (A beside C, or A beside B one sample apart); against a model of
// separate cascades every build gives the same output for every order, with and without the
// complement, for blocks of 1 to 88 frames, in place.
TEST(FilterKernels, LoopsMatchTheModelOfSeparateCascades) {
    for (const FilterKernels* kernels : runnableKernels()) {
        for (int order : {1, 2, 4, 8}) {
            for (bool complement : {false, true}) {
                const FilterDesign design = designButterworth(FilterResponse::LowPass, order, 700.0, 44100.0);
                const FilterDesign allPass = allPassOf(design);
                StereoDouble h[6][FilterDesign::maxSections + 1] = {};
                ModelCascade model[2][3] = {{{&design}, {&design}, {&allPass}},
                                            {{&design}, {&design}, {&allPass}}};
                KavrenTest::WhiteNoise white(7);
                int sample = 0;
                for (int n : {88, 1, 2, 87, 88, 13, 88, 88}) {
                    std::vector<float> left(n), right(n);
                    for (int i = 0; i < n; ++i, ++sample) {
                        left[i] = white.next();
                        right[i] = std::sin(0.03f * sample);
                    }
                    std::vector<float> expected[2] = {left, right};
                    for (int ch = 0; ch < 2; ++ch) {
                        for (float& v : expected[ch]) {
                            const double y = model[ch][1].tick(model[ch][0].tick(v));
                            v = static_cast<float>(complement ? model[ch][2].tick(v) - y : y);
                        }
                    }
                    kernels->runFilter({&design, h[0], h[1]}, {&design, h[2], h[3]}, {&allPass, h[4], h[5]},
                                       complement, left.data(), right.data(), left.data(), right.data(), n);
                    for (int i = 0; i < n; ++i) {
                        ASSERT_NEAR(left[i], expected[0][i], 1e-6) << order << complement << " at " << sample;
                        ASSERT_NEAR(right[i], expected[1][i], 1e-6)
                            << order << complement << " at " << sample;
                    }
                }
            }
        }
    }
}

FilterDesign plus(FilterDesign d, const FilterDesign& step, double k) {
    for (int s = 0; s < d.sections; ++s) {
        BiquadCoefficients& c = d.section[s];
        const BiquadCoefficients& t = step.section[s];
        c.b0 += k * t.b0, c.b1 += k * t.b1, c.b2 += k * t.b2, c.a1 += k * t.a1, c.a2 += k * t.a2;
    }
    return d;
}

// While a design moves, the coefficients take eight steps at once before every eight samples of a call
// (fewer at its end): every build follows a model of that path for calls of any length, including the
// lengths where a pair's last lanes end a chunk. Where the squared eighth-order filter runs B three
// samples behind A in one pass, B's coefficients lead its samples by those three.
TEST(FilterKernels, MovingLoopsFollowTheStepsOfEachLane) {
    for (const FilterKernels* kernels : runnableKernels()) {
        for (int order : {1, 2, 4, 8}) {
            for (bool complement : {false, true}) {
                FilterDesign from = designButterworth(FilterResponse::LowPass, order, 700.0, 44100.0);
                const FilterDesign to = designButterworth(FilterResponse::LowPass, order, 3000.0, 44100.0);
                FilterDesign allPass = allPassOf(from);
                const std::vector<int> calls{17, 1, 2, 3, 8, 9, 16, 23, 4, 11, 24, 40};
                const double total = 158.0; // the calls' frames
                const FilterDesign step = plus(to, from, -1.0),
                                   allPassStep = plus(allPassOf(to), allPass, -1.0);
                const FilterDesign perSample = plus(FilterDesign{step.sections, {}}, step, 1.0 / total);
                const FilterDesign allPassPerSample =
                    plus(FilterDesign{step.sections, {}}, allPassStep, 1.0 / total);
                StereoDouble h[6][FilterDesign::maxSections + 1] = {};
                ModelCascade model[2][3] = {};
                KavrenTest::WhiteNoise white(3);
                int sample = 0;
                for (int n : calls) {
                    std::vector<float> left(n), right(n);
                    for (int i = 0; i < n; ++i, ++sample) {
                        left[i] = white.next();
                        right[i] = std::sin(0.03f * sample);
                    }
                    std::vector<float> expected[2] = {left, right};
                    // The designs of each chunk of eight samples, of the filter and of the all-pass.
                    std::vector<FilterDesign> d{from}, c{allPass};
                    for (int i = 0; i < n; i += 8) {
                        d.push_back(plus(d.back(), perSample, std::min(8, n - i)));
                        c.push_back(plus(c.back(), allPassPerSample, std::min(8, n - i)));
                    }
                    const int lead = order == 8 && !complement ? 3 : 0;
                    for (int i = 0; i < n; ++i) {
                        for (int ch = 0; ch < 2; ++ch) {
                            model[ch][0].design = &d[size_t(i / 8 + 1)];
                            model[ch][1].design = &d[size_t(std::min(i + lead, n - 1) / 8 + 1)];
                            model[ch][2].design = &c[size_t(i / 8 + 1)];
                            float& v = expected[ch][i];
                            const double y = model[ch][1].tick(model[ch][0].tick(v));
                            v = static_cast<float>(complement ? model[ch][2].tick(v) - y : y);
                        }
                    }
                    kernels->runFilterRamp({&from, h[0], h[1]}, {&from, h[2], h[3]}, {&allPass, h[4], h[5]},
                                           perSample, allPassPerSample, complement, left.data(), right.data(),
                                           left.data(), right.data(), n);
                    for (int i = 0; i < n; ++i) {
                        ASSERT_NEAR(left[i], expected[0][i], 1e-6) << order << complement << " at " << i;
                        ASSERT_NEAR(right[i], expected[1][i], 1e-6) << order << complement << " at " << i;
                    }
                    from = plus(from, perSample, n), allPass = plus(allPass, allPassPerSample, n);
                }
            }
        }
    }
}

} // namespace
