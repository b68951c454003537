#pragma once

#include <xmmintrin.h>

// For its lifetime: all SSE floating-point exceptions masked, round to nearest, no flush-to-zero
// (MXCSR 0x1F80); the caller's settings come back on exit. The DSP keeps denormals away with small
// offsets in its recursive paths, so it does not rely on flush-to-zero from the host either.
class FloatingPointGuard {
public:
    FloatingPointGuard() : saved_(_mm_getcsr()) { _mm_setcsr(kDefault); }
    ~FloatingPointGuard() { _mm_setcsr(saved_); }
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

    static constexpr unsigned kDefault = 0x1F80;

private:
    unsigned saved_;
};
