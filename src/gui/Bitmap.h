#pragma once
// CBitmap: a decoded image in premultiplied BGRA, shared by reference count.

#include "gui/BaseObject.h"
#include "gui/Geometry.h"
#include "gui/PixelBuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Core {
class CResourceStore;
}

namespace Mirda {

class CDrawContext;

// The platform bitmap that holds the pixels.
class IOSBitmap : public CBaseObject {
public:
    virtual CPixelBuffer getPixels() const = 0;

protected:
    ~IOSBitmap() override = default;
};

// Plain memory pixels; what every bitmap uses on Linux.
class CMemoryBitmap : public IOSBitmap {
public:
    CMemoryBitmap(int32_t width, int32_t height) : m_buffer(width, height) {}
    CPixelBuffer getPixels() const override { return m_buffer.desc(); }

private:
    COwnedPixelBuffer m_buffer;
};

// Byte source of PNG data.
class IMirdaPNGStream {
public:
    virtual ~IMirdaPNGStream() = default;
    // Copies up to `size` bytes; answers how many were copied.
    virtual size_t read(uint8_t* out, size_t size) = 0;
};

class PNGMemoryStream : public IMirdaPNGStream {
public:
    PNGMemoryStream(const void* data, size_t size)
        : m_data(static_cast<const uint8_t*>(data)), m_size(size) {}
    size_t read(uint8_t* out, size_t size) override;

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

class PNGFileStream : public IMirdaPNGStream {
public:
    explicit PNGFileStream(const std::string& path);
    size_t read(uint8_t* out, size_t size) override;

private:
    std::vector<uint8_t> m_bytes;
    size_t m_pos = 0;
};

// PNG bytes of an entry of an embedded resource store (by default the library's main store), read by
// name when the stream is made and given back to the store when it goes.
class PNGResourceStream : public IMirdaPNGStream {
public:
    explicit PNGResourceStream(const char* name);
    PNGResourceStream(Core::CResourceStore& store, const char* name);
    ~PNGResourceStream() override;
    PNGResourceStream(const PNGResourceStream&) = delete;
    PNGResourceStream& operator=(const PNGResourceStream&) = delete;

    // False when the store has no such entry (the stream then reads nothing).
    bool isValid() const { return m_bytes != nullptr; }
    size_t read(uint8_t* out, size_t size) override;

private:
    Core::CResourceStore& m_store;
    uint8_t* m_bytes = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
};

class CBitmap : public CBaseObject {
public:
    CBitmap() = default;
    // An empty (transparent) bitmap to draw into.
    CBitmap(int32_t width, int32_t height);

    virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    virtual void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    virtual void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset,
                                uint8_t alpha);
    virtual void reset();
    virtual bool loadFromStream(IMirdaPNGStream* stream);
    bool loadFromMemory(const void* data, size_t size);

    double getWidth() const { return m_width; }
    double getHeight() const { return m_height; }
    bool isLoaded() const { return m_loaded; }
    CPixelBuffer getPixelBuffer() const { return m_pixels; }

protected:
    ~CBitmap() override;
    bool readPNG(void* pngState, void* pngInfo);
    void premultiply();

    double m_width = 0;
    double m_height = 0;
    bool m_loaded = false;
    IOSBitmap* m_platformBitmap = nullptr;
    CPixelBuffer m_pixels;
};

} // namespace Mirda
