#include "dsp/lib/FloatBuffer.h"

#include <algorithm>
#include <new>

namespace DSP::MEMORY {

namespace {
constexpr std::align_val_t alignment{16};
}

CFloatBuffer::~CFloatBuffer() {
    freeData();
}

void CFloatBuffer::allocate(std::size_t n) {
    freeData();
    if (n == 0) return;
    samples = static_cast<float*>(::operator new(n * sizeof(float), alignment));
    count = n;
    clear();
}

void CFloatBuffer::clear() {
    std::fill_n(samples, count, 0.0f);
}

void CFloatBuffer::freeData() {
    if (samples) ::operator delete(samples, alignment);
    samples = nullptr;
    count = 0;
}

} // namespace DSP::MEMORY
