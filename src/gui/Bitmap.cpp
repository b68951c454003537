#include "gui/Bitmap.h"

#include "gui/DrawContext.h"

#include "core/CResourceStore.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <fstream>
#include <iterator>

namespace Mirda {

namespace {

// Copies the next bytes of an in-memory source and advances `pos`.
size_t readBytes(const uint8_t* data, size_t length, size_t& pos, uint8_t* out, size_t size) {
    const size_t n = std::min(size, length - pos);
    if (n) std::memcpy(out, data + pos, n);
    pos += n;
    return n;
}

} // namespace

size_t PNGMemoryStream::read(uint8_t* out, size_t size) {
    return readBytes(m_data, m_size, m_pos, out, size);
}

PNGFileStream::PNGFileStream(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t PNGFileStream::read(uint8_t* out, size_t size) {
    return readBytes(m_bytes.data(), m_bytes.size(), m_pos, out, size);
}

PNGResourceStream::PNGResourceStream(const char* name) : PNGResourceStream(Core::resourceStore(), name) {}

PNGResourceStream::PNGResourceStream(Core::CResourceStore& store, const char* name) : m_store(store) {
    std::int32_t size = 0;
    m_bytes = name ? m_store.read(name, size) : nullptr;
    m_size = m_bytes ? static_cast<size_t>(size) : 0;
}

PNGResourceStream::~PNGResourceStream() {
    if (m_bytes) m_store.release(m_bytes);
}

size_t PNGResourceStream::read(uint8_t* out, size_t size) {
    return readBytes(m_bytes, m_size, m_pos, out, size);
}

CBitmap::CBitmap(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    m_platformBitmap = new CMemoryBitmap(width, height);
    m_pixels = m_platformBitmap->getPixels();
    m_width = width;
    m_height = height;
    m_loaded = true;
}

CBitmap::~CBitmap() {
    reset();
}

void CBitmap::reset() {
    m_width = m_height = 0;
    m_loaded = false;
    m_pixels = {};
    if (m_platformBitmap) {
        m_platformBitmap->release();
        m_platformBitmap = nullptr;
    }
}

namespace {

void readCallback(png_structp png, png_bytep out, png_size_t size) {
    auto* stream = static_cast<IMirdaPNGStream*>(png_get_io_ptr(png));
    if (stream->read(out, size) != size) png_error(png, "truncated PNG data");
}

void silentWarning(png_structp, png_const_charp) {}

void errorCallback(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

} // namespace

bool CBitmap::loadFromStream(IMirdaPNGStream* stream) {
    reset();
    if (!stream) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, errorCallback, silentWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, stream, readCallback);
        ok = readPNG(png, info);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        reset();
        return false;
    }
    premultiply();
    m_loaded = true;
    return true;
}

bool CBitmap::loadFromMemory(const void* data, size_t size) {
    PNGMemoryStream stream(data, size);
    return loadFromStream(&stream);
}

// Runs inside the decoder's error scope: libpng errors jump back to loadFromStream.
bool CBitmap::readPNG(void* pngState, void* pngInfo) {
    auto png = static_cast<png_structp>(pngState);
    auto info = static_cast<png_infop>(pngInfo);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colorType = png_get_color_type(png, info);
    // Refuse absurd sizes before allocating.
    if (width == 0 || height == 0 || width > 16384 || height > 16384) return false;

    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        if (png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    else if (!(colorType & PNG_COLOR_MASK_ALPHA))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_strip_16(png);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != width * 4) return false;

    m_platformBitmap = new CMemoryBitmap(static_cast<int32_t>(width), static_cast<int32_t>(height));
    m_pixels = m_platformBitmap->getPixels();
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, m_pixels.row(static_cast<int32_t>(y)), nullptr);
    png_read_end(png, nullptr);
    m_width = width;
    m_height = height;
    return true;
}

void CBitmap::premultiply() {
    for (int32_t y = 0; y < m_pixels.height; ++y) {
        uint8_t* p = m_pixels.row(y);
        for (int32_t x = 0; x < m_pixels.width; ++x, p += 4) {
            const unsigned alpha = p[3];
            if (alpha == 0) {
                p[0] = p[1] = p[2] = 0;
                continue;
            }
            // A shift, not a division by 255: an opaque 255 becomes 254.
            for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((p[c] * alpha) >> 8);
        }
    }
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    // Pixels are premultiplied, so plain blending already honours transparency.
    drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, uint8_t alpha) {
    if (!context || !m_loaded || !m_pixels.isValid()) return;
    CRect clip = context->getClipRect();
    if (clip.isEmpty()) return;
    const int32_t w = static_cast<int32_t>(std::lround(rect.width()));
    const int32_t h = static_cast<int32_t>(std::lround(rect.height()));
    if (w <= 0 || h <= 0) return;
    // Only the part of the source that exists is copied.
    const int32_t sx = static_cast<int32_t>(std::lround(offset.x));
    const int32_t sy = static_cast<int32_t>(std::lround(offset.y));
    context->blendPixels(m_pixels, sx, sy, std::min(w, m_pixels.width - sx),
                         std::min(h, m_pixels.height - sy), rect.topLeft(), alpha);
}

} // namespace Mirda
