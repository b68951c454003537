#pragma once

#include <immintrin.h>

// Base-2 logarithm and power of four floats at once, with SSE2 alone, so that every build and operating
// system computes the same bits (the C library's functions differ between systems and cost a call per
// sample). Both are within a few units in the last place of float over the ranges the effect uses.
namespace DSP::log2exp2 {

// log2 x for finite x > 0 (normal numbers): x = 2^e·m with m in [√½, √2), and
// log2 m = 2/ln 2 · atanh s with s = (m − 1)/(m + 1), |s| ≤ 0.172, whose odd series to s⁹ is exact to
// about 3e-10.
inline __m128 log2Of(__m128 x) {
    const __m128i bits = _mm_castps_si128(x);
    // Shifting the mantissa's range by √½ puts m in [√½, √2) and e where it belongs.
    const __m128i shifted = _mm_sub_epi32(bits, _mm_set1_epi32(0x3f3504f3));
    const __m128i exponent = _mm_srai_epi32(shifted, 23);
    const __m128i mantissaBits =
        _mm_add_epi32(_mm_and_si128(shifted, _mm_set1_epi32(0x007fffff)), _mm_set1_epi32(0x3f3504f3));
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 m = _mm_castsi128_ps(mantissaBits);
    const __m128 s = _mm_div_ps(_mm_sub_ps(m, one), _mm_add_ps(m, one));
    // The series in s² by Estrin's scheme: short chains let the next values start sooner.
    const __m128 s2 = _mm_mul_ps(s, s), s4 = _mm_mul_ps(s2, s2);
    const __m128 low = _mm_add_ps(one, _mm_mul_ps(s2, _mm_set1_ps(1.0f / 3.0f)));
    const __m128 mid = _mm_add_ps(_mm_set1_ps(1.0f / 5.0f), _mm_mul_ps(s2, _mm_set1_ps(1.0f / 7.0f)));
    const __m128 high = _mm_add_ps(mid, _mm_mul_ps(s4, _mm_set1_ps(1.0f / 9.0f)));
    const __m128 series = _mm_add_ps(low, _mm_mul_ps(s4, high));
    const __m128 twoOverLn2 = _mm_set1_ps(2.8853900817779268f);
    return _mm_add_ps(_mm_cvtepi32_ps(exponent), _mm_mul_ps(_mm_mul_ps(series, s), twoOverLn2));
}

// 2^x for x in [−126, 126]: x = k + f with k the nearest integer, 2^f = e^(f·ln 2) by its Taylor series to
// the seventh power (|f·ln 2| ≤ 0.347, remainder below 5e-9) by Estrin's scheme, 2^k put straight into
// the exponent.
inline __m128 exp2Of(__m128 x) {
    x = _mm_min_ps(_mm_max_ps(x, _mm_set1_ps(-126.0f)), _mm_set1_ps(126.0f));
    const __m128i k = _mm_cvtps_epi32(x); // round to nearest
    const __m128 t = _mm_mul_ps(_mm_sub_ps(x, _mm_cvtepi32_ps(k)), _mm_set1_ps(0.69314718055994531f));
    const __m128 t2 = _mm_mul_ps(t, t), t4 = _mm_mul_ps(t2, t2);
    auto pair = [t](float c0, float c1) {
        return _mm_add_ps(_mm_set1_ps(c0), _mm_mul_ps(t, _mm_set1_ps(c1)));
    };
    const __m128 low = _mm_add_ps(pair(1.0f, 1.0f), _mm_mul_ps(t2, pair(1.0f / 2.0f, 1.0f / 6.0f)));
    const __m128 high =
        _mm_add_ps(pair(1.0f / 24.0f, 1.0f / 120.0f), _mm_mul_ps(t2, pair(1.0f / 720.0f, 1.0f / 5040.0f)));
    const __m128 p = _mm_add_ps(low, _mm_mul_ps(t4, high));
    const __m128i scale = _mm_slli_epi32(_mm_add_epi32(k, _mm_set1_epi32(127)), 23);
    return _mm_mul_ps(p, _mm_castsi128_ps(scale));
}

inline float log2Of(float x) {
    return _mm_cvtss_f32(log2Of(_mm_set_ss(x)));
}

} // namespace DSP::log2exp2
