#include "dsp/fx/Distortion.h"
#include "dsp/fx/HalfbandFilter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace DSP::FX {

namespace {

// The stage between the host rate and twice it keeps 20 kHz flat and reaches 75 dB at 24 kHz (of a
// 44.1 kHz host rate); the inner stage only has to stop what would fold below 22 kHz, 53 dB from 66 kHz.
std::array<double, 6> steepCoefficients() {
    std::array<double, 6> c{};
    designHalfband(c.data(), 6, 0.04);
    return c;
}

std::array<double, 2> wideCoefficients() {
    std::array<double, 2> c{};
    designHalfband(c.data(), 2, 0.2);
    return c;
}

constexpr float kGlideSeconds = 0.01f;
constexpr double kDcCornerHz = 5.0;

} // namespace

CDistortion::CDistortion() : kernels(&driveKernels()) {
    const std::array<double, 2> wide = wideCoefficients();
    const std::array<double, 6> steep = steepCoefficients();
    auto pair = [](double branch0, double branch1) {
        return _mm_setr_ps(float(branch0), float(branch1), float(branch0), float(branch1));
    };
    filters.wide = pair(wide[0], wide[1]);
    for (size_t k = 0; k < 3; ++k) filters.steep[k] = pair(steep[2 * k], steep[2 * k + 1]);
    filters.curveK = _mm_set1_ps(drive);
    filters.curveKLess1 = _mm_set1_ps(drive - 1.0f);
    clearFilters();
    setSampleRate(sampleRate);
}

void CDistortion::setSampleRate(float rate) {
    if (!(rate > 0.0f) || !std::isfinite(rate)) return;
    sampleRate = rate;
    glide = 1.0f - std::exp(-1.0f / (kGlideSeconds * rate));
    const double keep = std::exp(-2.0 * std::numbers::pi * kDcCornerHz / rate);
    filters.dcKeep = _mm_set1_ps(float(keep));
    // Unity gain at the Nyquist frequency.
    filters.dcGain = _mm_set1_ps(float((1.0 + keep) * 0.5));
}

void CDistortion::applyLevel() {
    const float x = requestedLevel.load(std::memory_order_relaxed);
    if (x == appliedLevel) return;
    appliedLevel = x;
    const float v = 1.0f - 3.0f * (1.0f - x) / (2.0f * (1.0f - x) + 1.0f);
    const float c = (0.72f - 0.15f * character) * (6.5f * v / (5.5f * v + 1.0f));
    wet = v;
    dry = 1.0f - v;
    compensation = 1.0f - c;
}

__m128 CDistortion::target() const {
    return _mm_setr_ps(dry, wet * compensation, wet > 0.0f ? 1.0f : 0.0f, 0.0f);
}

bool CDistortion::idle() const {
    return wet == 0.0f && _mm_movemask_ps(_mm_cmpneq_ps(weights, target())) == 0;
}

void CDistortion::clearFilters() {
    state = DriveState{};
}

void CDistortion::reset() {
    applyLevel();
    weights = target();
    clearFilters();
}

void CDistortion::process(StereoView bus, int n) {
    applyLevel();
    if (idle()) return;
    const __m128 goal = target(), step = _mm_set1_ps(glide);
    for (int done = 0; done < n; done += kDriveChunk) {
        const int m = std::min(kDriveChunk, n - done);
        __m128 w = weights;
        // Settled weights would stay exactly where they are, so the glide's chain of steps is skipped.
        if (_mm_movemask_ps(_mm_cmpneq_ps(w, goal)) == 0) {
            std::fill_n(frameWeights, m, w);
        } else {
            for (int i = 0; i < m; ++i)
                frameWeights[i] = w = _mm_add_ps(w, _mm_mul_ps(_mm_sub_ps(goal, w), step));
            weights = w;
        }
        kernels->run(filters, state, frameWeights, bus.left + done, bus.right + done, m);
    }
    // Close enough to be inaudible: settle exactly, so that the stage can tell when it has faded out.
    const __m128 distance = _mm_andnot_ps(_mm_set1_ps(-0.0f), _mm_sub_ps(goal, weights));
    if (_mm_movemask_ps(_mm_cmpgt_ps(distance, _mm_set1_ps(1e-6f))) == 0) weights = goal;
    if (idle()) clearFilters();
}

} // namespace DSP::FX
