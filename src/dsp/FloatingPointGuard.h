#pragma once

#include <xmmintrin.h>

// For its lifetime: all SSE floating-point exceptions masked, round to nearest, flush-to-zero and
// denormals-are-zero (MXCSR 0x9FC0); the caller's settings come back on exit. With denormals flushed,
// every recursive path decays to exact zero after its input falls silent, so silence in gives exact
// silence out, and no stage needs offsets against slow denormal arithmetic.
class FloatingPointGuard {
public:
    FloatingPointGuard() : saved_(_mm_getcsr()) { _mm_setcsr(kDefault); }
    ~FloatingPointGuard() { _mm_setcsr(saved_); }
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

    static constexpr unsigned kDefault = 0x9FC0;

private:
    unsigned saved_;
};
