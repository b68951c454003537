// Float vector primitives used by the buses and the DSP: aligned storage and the few block operations
// that the compiler vectorises well on its own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace Tessu::vec {

constexpr size_t kAlignment = 32;

inline float* allocate(size_t n) {
    size_t bytes = ((std::max<size_t>(n, 1) * sizeof(float) + kAlignment - 1) / kAlignment) * kAlignment;
    // The aligned operator new exists on every system (the Windows C runtime has no aligned_alloc).
    void* p = ::operator new(bytes, std::align_val_t(kAlignment));
    std::memset(p, 0, bytes);
    return static_cast<float*>(p);
}
inline void release(float* p) {
    ::operator delete(p, std::align_val_t(kAlignment));
}
inline void zero(float* dst, size_t n) {
    std::memset(dst, 0, n * sizeof(float));
}
inline void copy(const float* src, float* dst, size_t n) {
    if (n) std::memmove(dst, src, n * sizeof(float));
}
inline float maximum(const float* src, size_t n) {
    float m = n ? src[0] : 0.0f;
    for (size_t i = 1; i < n; ++i) m = std::max(m, src[i]);
    return m;
}
inline float minimum(const float* src, size_t n) {
    float m = n ? src[0] : 0.0f;
    for (size_t i = 1; i < n; ++i) m = std::min(m, src[i]);
    return m;
}

} // namespace Tessu::vec
