#pragma once
// What Mirda's windows show: a premultiplied BGRA offscreen buffer, copied to a window in the window's
// own pixel format. Windows are created with a visual of our choosing rather than the parent's, so that
// a host window with another depth (a 32-bit ARGB parent) never refuses the copy: a 24-bit TrueColor
// visual with 8-bit channels takes the buffer as it is (through MIT-SHM where the server allows it);
// any other screen (16-bit) gets the buffer converted area by area.

#include "gui/PixelBuffer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

namespace Mirda {

// The visual, depth and colormap a Mirda window is created with, chosen once per connection.
struct CX11Visual {
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = 0; // created for `visual`, freed by the connection's owner

    static CX11Visual choose(Display* display);
    // Attributes and value mask for XCreateWindow with this visual (any parent depth).
    unsigned long apply(XSetWindowAttributes& attributes) const;
};

class CX11Surface {
public:
    CX11Surface(Display* display, Window window, const CX11Visual& visual);
    ~CX11Surface();
    CX11Surface(const CX11Surface&) = delete;
    CX11Surface& operator=(const CX11Surface&) = delete;

    // Reallocates the buffer (cleared) for a window of this size.
    void resize(int width, int height);
    const CPixelBuffer& buffer() const { return m_buffer; }
    // Copies an area of the buffer (clipped to it) to the window.
    void put(int x, int y, int width, int height);

private:
    bool createSharedImage(int width, int height);
    void destroyImage();

    Display* m_display;
    Window m_window;
    CX11Visual m_visual;
    GC m_gc;
    XImage* m_image = nullptr;
    XShmSegmentInfo m_shm{};
    bool m_usingShm = false;
    bool m_direct = false; // the image holds the buffer's pixels as they are
    COwnedPixelBuffer m_owned;
    CPixelBuffer m_buffer;
};

// Writes an area of `source` into `image` in the image's pixel format (TrueColor masks).
void convertToImage(const CPixelBuffer& source, XImage& image, int x, int y, int width, int height);

} // namespace Mirda
