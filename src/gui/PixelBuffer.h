#pragma once
// Descriptor of a 32-bit premultiplied BGRA pixel buffer (top-down rows, `stride` bytes apart).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Mirda {

struct CPixelBuffer {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;

    bool isValid() const { return pixels && width > 0 && height > 0; }
    uint8_t* row(int32_t y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};

// A pixel buffer that owns its memory; the offscreen buffer of frames and the store of bitmaps.
class COwnedPixelBuffer {
public:
    COwnedPixelBuffer() = default;
    COwnedPixelBuffer(int32_t width, int32_t height) { resize(width, height); }

    void resize(int32_t width, int32_t height) {
        if (width <= 0 || height <= 0) width = height = 0;
        m_storage.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
        m_desc = {m_storage.empty() ? nullptr : m_storage.data(), width, height, width * 4};
    }
    const CPixelBuffer& desc() const { return m_desc; }

private:
    std::vector<uint8_t> m_storage;
    CPixelBuffer m_desc;
};

} // namespace Mirda
