#include "gui/platform/x11/X11Surface.h"

#include "gui/platform/x11/X11ErrorTrap.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace Mirda {
namespace {

constexpr unsigned long kRedMask = 0xFF0000, kGreenMask = 0x00FF00, kBlueMask = 0x0000FF;

bool hasByteChannels(const Visual& visual) {
    return visual.red_mask == kRedMask && visual.green_mask == kGreenMask && visual.blue_mask == kBlueMask;
}

// The buffer's bytes (blue, green, red, alpha) read as one native 32-bit pixel with 8-bit channels.
bool takesBufferAsIs(const XImage& image) {
    const int nativeOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    return image.bits_per_pixel == 32 && image.byte_order == nativeOrder && image.red_mask == kRedMask &&
           image.green_mask == kGreenMask && image.blue_mask == kBlueMask;
}

// Places an 8-bit channel value into the bits of `mask`.
struct Channel {
    explicit Channel(unsigned long mask)
        : mask(mask), shift(mask ? std::countr_zero(mask) : 0), bits(std::popcount(mask)) {}
    unsigned long place(unsigned value) const {
        const unsigned long scaled =
            bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
        return (scaled << shift) & mask;
    }
    unsigned long mask;
    int shift, bits;
};

} // namespace

CX11Visual CX11Visual::choose(Display* display) {
    const int screen = DefaultScreen(display);
    CX11Visual chosen;
    XVisualInfo info{};
    if (XMatchVisualInfo(display, screen, 24, TrueColor, &info) && hasByteChannels(*info.visual)) {
        chosen.visual = info.visual;
        chosen.depth = 24;
    } else {
        chosen.visual = DefaultVisual(display, screen);
        chosen.depth = DefaultDepth(display, screen);
    }
    chosen.colormap = XCreateColormap(display, RootWindow(display, screen), chosen.visual, AllocNone);
    return chosen;
}

unsigned long CX11Visual::apply(XSetWindowAttributes& attributes) const {
    // A window whose visual differs from its parent's needs its own colormap and border pixel.
    attributes.colormap = colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    return CWColormap | CWBorderPixel | CWBackPixel;
}

void convertToImage(const CPixelBuffer& source, XImage& image, int x, int y, int width, int height) {
    const Channel red(image.red_mask), green(image.green_mask), blue(image.blue_mask);
    const int nativeOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    const bool native = image.byte_order == nativeOrder;
    for (int row = y; row < y + height; ++row) {
        const uint8_t* in = source.row(row) + static_cast<ptrdiff_t>(x) * 4;
        char* out = image.data + static_cast<ptrdiff_t>(row) * image.bytes_per_line;
        for (int column = x; column < x + width; ++column, in += 4) {
            const unsigned long pixel = red.place(in[2]) | green.place(in[1]) | blue.place(in[0]);
            if (native && image.bits_per_pixel == 16)
                reinterpret_cast<uint16_t*>(out)[column] = static_cast<uint16_t>(pixel);
            else if (native && image.bits_per_pixel == 32)
                reinterpret_cast<uint32_t*>(out)[column] = static_cast<uint32_t>(pixel);
            else
                XPutPixel(&image, column, row, pixel);
        }
    }
}

CX11Surface::CX11Surface(Display* display, Window window, const CX11Visual& visual)
    : m_display(display), m_window(window), m_visual(visual), m_gc(XCreateGC(display, window, 0, nullptr)) {}

CX11Surface::~CX11Surface() {
    destroyImage();
    XFreeGC(m_display, m_gc);
}

bool CX11Surface::createSharedImage(int width, int height) {
    if (!XShmQueryExtension(m_display)) return false;
    m_image = XShmCreateImage(m_display, m_visual.visual, static_cast<unsigned>(m_visual.depth), ZPixmap,
                              nullptr, &m_shm, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!m_image) return false;
    m_shm.shmid =
        shmget(IPC_PRIVATE, static_cast<size_t>(m_image->bytes_per_line) * m_image->height, IPC_CREAT | 0600);
    m_shm.shmaddr =
        m_shm.shmid >= 0 ? static_cast<char*>(shmat(m_shm.shmid, nullptr, 0)) : reinterpret_cast<char*>(-1);
    bool attached = false;
    if (m_shm.shmaddr != reinterpret_cast<char*>(-1)) {
        m_image->data = m_shm.shmaddr;
        m_shm.readOnly = False;
        // A remote server refuses the attach.
        CX11ErrorTrap trap(m_display);
        XShmAttach(m_display, &m_shm);
        attached = !trap.failed();
    }
    // Marked for removal now; it goes away when both sides detach.
    if (m_shm.shmid >= 0) shmctl(m_shm.shmid, IPC_RMID, nullptr);
    if (!attached) {
        if (m_shm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(m_shm.shmaddr);
        m_image->data = nullptr;
        XDestroyImage(m_image);
        m_image = nullptr;
        return false;
    }
    m_usingShm = true;
    return true;
}

void CX11Surface::resize(int width, int height) {
    destroyImage();
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (!createSharedImage(width, height)) {
        m_image = XCreateImage(m_display, m_visual.visual, static_cast<unsigned>(m_visual.depth), ZPixmap, 0,
                               nullptr, static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (!m_image) return;
        m_image->data = static_cast<char*>(std::calloc(static_cast<size_t>(m_image->bytes_per_line), height));
    }
    m_direct = takesBufferAsIs(*m_image);
    if (m_direct) {
        m_buffer = {reinterpret_cast<uint8_t*>(m_image->data), width, height, m_image->bytes_per_line};
    } else {
        m_owned.resize(width, height);
        m_buffer = m_owned.desc();
    }
}

void CX11Surface::destroyImage() {
    m_buffer = {};
    m_owned.resize(0, 0);
    if (!m_image) return;
    if (m_usingShm) {
        XShmDetach(m_display, &m_shm);
        XSync(m_display, False);
        shmdt(m_shm.shmaddr);
        m_image->data = nullptr;
    }
    XDestroyImage(m_image); // frees the pixels of an image without shared memory
    m_image = nullptr;
    m_usingShm = false;
}

void CX11Surface::put(int x, int y, int width, int height) {
    if (!m_image) return;
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + width, m_buffer.width), bottom = std::min(y + height, m_buffer.height);
    if (right <= left || bottom <= top) return;
    const auto w = static_cast<unsigned>(right - left), h = static_cast<unsigned>(bottom - top);
    if (!m_direct) convertToImage(m_buffer, *m_image, left, top, right - left, bottom - top);
    if (m_usingShm)
        XShmPutImage(m_display, m_window, m_gc, m_image, left, top, left, top, w, h, False);
    else
        XPutImage(m_display, m_window, m_gc, m_image, left, top, left, top, w, h);
}

} // namespace Mirda
