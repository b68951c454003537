#pragma once
// What Mirda's windows show on Windows: the premultiplied BGRA offscreen buffer lives in a top-down
// 32-bit DIB section, which is already the layout of the buffer, so areas of it are copied to the window
// with BitBlt as they are.

#include "gui/PixelBuffer.h"

#include <windows.h>

namespace Mirda {

class CWin32Surface {
public:
    CWin32Surface();
    ~CWin32Surface();
    CWin32Surface(const CWin32Surface&) = delete;
    CWin32Surface& operator=(const CWin32Surface&) = delete;

    // Reallocates the buffer (cleared) for a window of this size.
    void resize(int width, int height);
    const CPixelBuffer& buffer() const { return m_buffer; }
    // Copies an area of the buffer (clipped to it) to `target` at the same place.
    void put(HDC target, int x, int y, int width, int height);

private:
    void destroyBitmap();

    HDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    CPixelBuffer m_buffer;
};

} // namespace Mirda
