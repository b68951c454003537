#include "dsp/fx/Distortion.h"

#include <algorithm>
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

template <int A, int B, int C, int D> __m128 lanes(__m128 x, __m128 y) {
    return _mm_shuffle_ps(x, y, _MM_SHUFFLE(D, C, B, A));
}

// {x0, y1, x2, y3}: the first branch of each channel from x, the second from y.
__m128 branches(__m128 x, __m128 y) {
    const __m128 t = lanes<0, 2, 1, 3>(x, y);
    return lanes<0, 2, 1, 3>(t, t);
}

// The half-band output of each channel, (branch 0 + branch 1) / 2, in lanes 0 and 2.
__m128 branchMean(__m128 x) {
    return _mm_mul_ps(_mm_add_ps(x, lanes<1, 0, 3, 2>(x, x)), _mm_set1_ps(0.5f));
}

} // namespace

CDistortion::CDistortion()
    : upOuter(wideCoefficients()), downOuter(steepCoefficients()), upInner(wideCoefficients()),
      downInner(wideCoefficients()) {
    setSampleRate(sampleRate);
}

void CDistortion::setSampleRate(float rate) {
    if (!(rate > 0.0f) || !std::isfinite(rate)) return;
    sampleRate = rate;
    glide = 1.0f - std::exp(-1.0f / (kGlideSeconds * rate));
    const double keep = std::exp(-2.0 * std::numbers::pi * kDcCornerHz / rate);
    dcKeep = _mm_set1_ps(float(keep));
    // Unity gain at the Nyquist frequency.
    dcGain = _mm_set1_ps(float((1.0 + keep) * 0.5));
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
    upOuter.reset();
    downOuter.reset();
    upInner.reset();
    downInner.reset();
    heldInner = heldOuter = dcInput = dcOutput = _mm_setzero_ps();
}

void CDistortion::reset() {
    applyLevel();
    weights = target();
    clearFilters();
}

void CDistortion::process(StereoView bus, int n) {
    applyLevel();
    if (idle()) return;
    for (int done = 0; done < n; done += kChunk)
        processChunk({bus.left + done, bus.right + done}, std::min(kChunk, n - done));
    // Close enough to be inaudible: settle exactly, so that the stage can tell when it has faded out.
    const __m128 goal = target();
    const __m128 distance = _mm_andnot_ps(_mm_set1_ps(-0.0f), _mm_sub_ps(goal, weights));
    if (_mm_movemask_ps(_mm_cmpgt_ps(distance, _mm_set1_ps(1e-6f))) == 0) weights = goal;
    if (idle()) clearFilters();
}

// Three passes over the chunk, so that the recursions of the filters in each pass overlap from one
// frame to the next instead of waiting for the whole chain of the previous frame.
void CDistortion::processChunk(StereoView bus, int n) {
    const __m128 goal = target(), step = _mm_set1_ps(glide);
    __m128 w = weights;
    // Up to twice the rate: {L, L, R, R} -> {L even, L odd, R even, R odd}.
    for (int i = 0; i < n; ++i) {
        w = _mm_add_ps(w, _mm_mul_ps(_mm_sub_ps(goal, w), step));
        scratchWeights[i] = w;
        scratch[i] = upOuter.run(_mm_setr_ps(bus.left[i], bus.left[i], bus.right[i], bus.right[i]));
    }
    weights = w;

    // Up to four times the rate, {L0 L1 R0 R1} and {L2 L3 R2 R3}, through the curve, and down to twice
    // it: each half-band output takes an even sample on branch 0 and the odd one before it on branch 1.
    const __m128 k = _mm_set1_ps(drive), kLess1 = _mm_set1_ps(drive - 1.0f), one = _mm_set1_ps(1.0f);
    const __m128 signBit = _mm_set1_ps(-0.0f);
    for (int i = 0; i < n; ++i) {
        const __m128 dryWeight = lanes<0, 0, 0, 0>(scratchWeights[i], scratchWeights[i]);
        const __m128 wetWeight = lanes<1, 1, 1, 1>(scratchWeights[i], scratchWeights[i]);
        auto curve = [&](__m128 v) {
            const __m128 magnitude = _mm_andnot_ps(signBit, v);
            const __m128 denominator =
                _mm_add_ps(_mm_add_ps(_mm_mul_ps(v, v), one), _mm_mul_ps(magnitude, kLess1));
            const __m128 shaped = _mm_div_ps(_mm_mul_ps(v, _mm_add_ps(k, magnitude)), denominator);
            return _mm_add_ps(_mm_mul_ps(dryWeight, v), _mm_mul_ps(wetWeight, shaped));
        };
        const __m128 twice = scratch[i];
        __m128 first, second;
        upInner.runTwo(lanes<0, 0, 2, 2>(twice, twice), lanes<1, 1, 3, 3>(twice, twice), first, second);
        first = curve(first);
        second = curve(second);
        __m128 even, odd;
        downInner.runTwo(branches(first, heldInner), branches(second, first), even, odd);
        even = branchMean(even);
        odd = branchMean(odd);
        heldInner = second;
        scratch[i] = branches(even, odd); // {L even, L odd, R even, R odd}
    }

    // Down to the host rate, the DC blocker (out = g (y - y1) + keep out1), and the fade.
    for (int i = 0; i < n; ++i) {
        const __m128 pair = scratch[i];
        const __m128 y = branchMean(downOuter.run(branches(pair, heldOuter)));
        heldOuter = pair;
        dcOutput = _mm_add_ps(_mm_mul_ps(dcGain, _mm_sub_ps(y, dcInput)), _mm_mul_ps(dcKeep, dcOutput));
        dcInput = y;
        const __m128 x = _mm_setr_ps(bus.left[i], 0.0f, bus.right[i], 0.0f);
        const __m128 presence = lanes<2, 2, 2, 2>(scratchWeights[i], scratchWeights[i]);
        const __m128 out = _mm_add_ps(x, _mm_mul_ps(presence, _mm_sub_ps(dcOutput, x)));
        bus.left[i] = _mm_cvtss_f32(out);
        bus.right[i] = _mm_cvtss_f32(_mm_movehl_ps(out, out));
    }
}

} // namespace DSP::FX
