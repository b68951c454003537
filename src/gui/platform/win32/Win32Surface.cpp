#include "gui/platform/win32/Win32Surface.h"

#include <algorithm>

namespace Mirda {

CWin32Surface::CWin32Surface() : m_dc(CreateCompatibleDC(nullptr)) {}

CWin32Surface::~CWin32Surface() {
    destroyBitmap();
    if (m_dc) DeleteDC(m_dc);
}

void CWin32Surface::destroyBitmap() {
    m_buffer = {};
    if (!m_bitmap) return;
    SelectObject(m_dc, m_previous);
    DeleteObject(m_bitmap);
    m_bitmap = nullptr;
}

void CWin32Surface::resize(int width, int height) {
    destroyBitmap();
    if (!m_dc) return;
    width = std::max(width, 1);
    height = std::max(height, 1);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows, as the buffer has them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_bitmap || !bits) {
        if (m_bitmap) DeleteObject(m_bitmap);
        m_bitmap = nullptr;
        return;
    }
    m_previous = SelectObject(m_dc, m_bitmap);
    m_buffer = {static_cast<uint8_t*>(bits), width, height, width * 4}; // DIB rows are 4-byte aligned
}

void CWin32Surface::put(HDC target, int x, int y, int width, int height) {
    if (!m_bitmap || !target) return;
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + width, m_buffer.width), bottom = std::min(y + height, m_buffer.height);
    if (right <= left || bottom <= top) return;
    GdiFlush(); // drawing went straight into the section's memory
    BitBlt(target, left, top, right - left, bottom - top, m_dc, left, top, SRCCOPY);
}

} // namespace Mirda
