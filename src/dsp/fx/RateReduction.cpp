#include "dsp/fx/RateReduction.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

namespace DSP::FX {

void CRateReduction::setDepth(float a) {
    depth = a;
    const float u = -(1.0f - a) * 501.0f / (500.0f * (1.0f - a) + 1.0f);
    steps = (u + 1.0f) * 16000.0f + 2.0f;
    inverseSteps = 1.0f / steps;
}

void CRateReduction::setRate(float v) {
    const float w = 1.0f - (0.97f * v + 0.03f);
    increment = (1.0f - 15.0f * w / (14.0f * w + 1.0f)) * 0.99f + 0.01f;
}

void CRateReduction::reset() {
    heldLeft = heldRight = 0.0f;
    phase = 0.0f;
}

namespace {

// trunc(x·steps)/steps four at a time: through a 32-bit integer where x·steps fits one, which every
// float of at least 2^23 already is an integer; the sign is put back so that −0.3 becomes −0 as with
// std::trunc.
__m128 quantised(__m128 x, __m128 steps, __m128 inverseSteps) {
    const __m128 signBit = _mm_set1_ps(-0.0f);
    const __m128 scaled = _mm_mul_ps(x, steps);
    const __m128 small = _mm_cmplt_ps(_mm_andnot_ps(signBit, scaled), _mm_set1_ps(8388608.0f));
    const __m128 truncated =
        _mm_or_ps(_mm_cvtepi32_ps(_mm_cvttps_epi32(scaled)), _mm_and_ps(scaled, signBit));
    return _mm_mul_ps(_mm_or_ps(_mm_and_ps(small, truncated), _mm_andnot_ps(small, scaled)), inverseSteps);
}

} // namespace

// A take happens at random-looking samples, which a branch would mispredict; so the hold phase runs
// first and marks for each sample the last take at or before it, the quantisation runs four samples at a
// time, and each output is read from its take (which already holds the taken sample). The phase stays in
// [0, 2) before it is wrapped (the increment is at most 1), so subtracting 1 on a take is exactly
// subtracting its integer part.
template <bool Quantise> void CRateReduction::run(StereoView bus, int n) {
    constexpr int kPiece = 64;
    int lastTake[kPiece];
    float p = phase;
    const float inc = increment;
    float heldL = heldLeft, heldR = heldRight;
    for (int start = 0; start < n; start += kPiece) {
        const int m = std::min(kPiece, n - start);
        float* left = bus.left + start;
        float* right = bus.right + start;
        int last = -1; // none yet in this piece: the held pair continues
        for (int i = 0; i < m; ++i) {
            const float next = p + inc;
            const float wrapped = next - 1.0f;
            const bool take = next >= 1.0f;
            p = take ? wrapped : next;
            last = take ? i : last;
            lastTake[i] = last;
        }
        if constexpr (Quantise) {
            const __m128 steps4 = _mm_set1_ps(steps), inverse4 = _mm_set1_ps(inverseSteps);
            int i = 0;
            for (; i + 4 <= m; i += 4) {
                _mm_storeu_ps(left + i, quantised(_mm_loadu_ps(left + i), steps4, inverse4));
                _mm_storeu_ps(right + i, quantised(_mm_loadu_ps(right + i), steps4, inverse4));
            }
            for (; i < m; ++i) {
                left[i] = std::trunc(left[i] * steps) * inverseSteps;
                right[i] = std::trunc(right[i] * steps) * inverseSteps;
            }
        }
        // Before the piece's first take the previous pair holds; from it on, each sample is its take's.
        int i = 0;
        for (; i < m && lastTake[i] < 0; ++i) left[i] = heldL, right[i] = heldR;
        for (; i < m; ++i) {
            left[i] = left[lastTake[i]];
            right[i] = right[lastTake[i]];
        }
        heldL = left[m - 1];
        heldR = right[m - 1];
    }
    phase = p;
    heldLeft = heldL;
    heldRight = heldR;
}

void CRateReduction::process(StereoView bus, int n) {
    if (depth >= 1.0f && increment == 1.0f) {
        // Every sample is taken and none quantised: the output is the input. The loop would leave the
        // last sample held and the phase at frac(phase + 1), a fixed point after the first sample.
        if (n > 0) {
            heldLeft = bus.left[n - 1];
            heldRight = bus.right[n - 1];
            phase += increment;
            phase -= std::floor(phase);
        }
    } else if (depth < 1.0f)
        run<true>(bus, n);
    else
        run<false>(bus, n);
    if (!std::isfinite(heldLeft + heldRight)) heldLeft = heldRight = 0.0f;
}

} // namespace DSP::FX
