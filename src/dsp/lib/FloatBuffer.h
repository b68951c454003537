#pragma once

#include "dsp/lib/ReferencedObject.h"

#include <cstddef>

namespace DSP::MEMORY {

// Reference-counted array of 16-byte aligned floats.
class CFloatBuffer : public CReferencedObject {
public:
    CFloatBuffer() = default;
    explicit CFloatBuffer(std::size_t n) { allocate(n); }
    ~CFloatBuffer() override;

    // Replaces the content with n zeroed floats.
    void allocate(std::size_t n);
    void clear();

    float* data() { return samples; }
    const float* data() const { return samples; }
    std::size_t size() const { return count; }
    float& operator[](std::size_t i) { return samples[i]; }
    float operator[](std::size_t i) const { return samples[i]; }

private:
    void freeData();

    float* samples = nullptr;
    std::size_t count = 0;
};

} // namespace DSP::MEMORY
