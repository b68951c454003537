#pragma once

#include <xmmintrin.h>

#include <array>

namespace DSP::FX {

// Coefficients of an elliptic half-band low-pass built from two parallel branches of first-order
// all-pass sections in z^-2, H(z) = (A0(z^2) + z^-1 A1(z^2)) / 2: `count` coefficients in ascending
// order, even positions for branch 0 and odd ones for branch 1. `transition` is the width of the
// transition band around a quarter of the sampling rate, as a fraction of half the sampling rate; the
// stop-band attenuation follows from it and the count. The closed form is the classic one for this
// structure (Jacobi elliptic functions through their nome q).
void designHalfband(double* coefficients, int count, double transition);

// Both branches of both channels of a half-band filter side by side in one register, lanes
// {left branch 0, left branch 1, right branch 0, right branch 1}, each lane a series of S all-pass
// sections y = a x + x1 − a y1 run at half the high rate (in this order, one multiply and one
// subtraction lead from one output to the next).
template <int S> class CHalfbandLanes {
public:
    explicit CHalfbandLanes(const std::array<double, 2 * S>& coefficients) {
        for (int s = 0; s < S; ++s) {
            const float a0 = float(coefficients[size_t(2 * s)]), a1 = float(coefficients[size_t(2 * s + 1)]);
            a[s] = _mm_setr_ps(a0, a1, a0, a1);
        }
        reset();
    }

    void reset() {
        for (int s = 0; s < S; ++s) x1[s] = y1[s] = _mm_setzero_ps();
    }

    __m128 run(__m128 x) {
        for (int s = 0; s < S; ++s) {
            const __m128 y = _mm_sub_ps(_mm_add_ps(_mm_mul_ps(a[s], x), x1[s]), _mm_mul_ps(a[s], y1[s]));
            x1[s] = x;
            y1[s] = y;
            x = y;
        }
        return x;
    }

    // Two inputs in a row through a single section, both outputs computed from the state before them:
    // y1' = a x + x1 − a y1 and y2' = a x' + x − a y1' = a x' + (1 − a²) x − a x1 + a² y1.
    void runTwo(__m128 x, __m128 next, __m128& y, __m128& yNext) requires(S == 1) {
        const __m128 aa = _mm_mul_ps(a[0], a[0]);
        y = _mm_sub_ps(_mm_add_ps(_mm_mul_ps(a[0], x), x1[0]), _mm_mul_ps(a[0], y1[0]));
        const __m128 feed = _mm_sub_ps(_mm_add_ps(_mm_mul_ps(a[0], next), _mm_sub_ps(x, _mm_mul_ps(aa, x))),
                                       _mm_mul_ps(a[0], x1[0]));
        yNext = _mm_add_ps(feed, _mm_mul_ps(aa, y1[0]));
        x1[0] = next;
        y1[0] = yNext;
    }

private:
    __m128 a[S], x1[S], y1[S];
};

} // namespace DSP::FX
