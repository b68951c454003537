#include "gui/platform/x11/X11Frame.h"

#include "gui/DirtyRectHelper.h"
#include "gui/Frame.h"
#include "gui/OptionMenu.h"
#include "gui/TimerService.h"
#include "gui/platform/x11/X11Keys.h"
#include "gui/platform/x11/X11PopupMenu.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

namespace Mirda {
namespace {

// X errors (a parent window that is already gone, a refused shared-memory attach) must never end the
// host process: note them and carry on.
bool g_xErrorSeen = false;
int ignoreXError(Display*, XErrorEvent*) {
    g_xErrorSeen = true;
    return 0;
}

constexpr unsigned long kDoubleClickMs = 400;
constexpr int kDoubleClickDistance = 4;

} // namespace

struct CFrameX11::Impl {
    CFrame* frame = nullptr;
    Display* display = nullptr;
    Window window = 0;
    Window parent = 0;
    bool topLevel = false;
    bool closeRequested = false;
    Atom wmDelete = 0;
    GC gc = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo shm{};
    bool usingShm = false;
    COwnedPixelBuffer plainBuffer;
    CPixelBuffer buffer;
    CDirtyRectHelper invalid;
    std::map<CursorType, Cursor> cursors;
    bool grabbed = false;
    // Double-click detection.
    unsigned int lastButton = 0;
    Time lastPressTime = 0;
    int lastPressX = -100, lastPressY = -100;
    std::unique_ptr<CX11PopupMenu> popup;

    void createBuffer(int width, int height);
    void destroyBuffer();
    void paint();
    void handle(XEvent& event);
    void finishPopup();
    int32_t modifiers(unsigned int state) const;
};

void CFrameX11::Impl::createBuffer(int width, int height) {
    destroyBuffer();
    width = std::max(width, 1);
    height = std::max(height, 1);
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    if (XShmQueryExtension(display)) {
        image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shm,
                                static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (image) {
            shm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * image->height,
                               IPC_CREAT | 0600);
            shm.shmaddr = shm.shmid >= 0 ? static_cast<char*>(shmat(shm.shmid, nullptr, 0))
                                         : reinterpret_cast<char*>(-1);
            if (shm.shmaddr != reinterpret_cast<char*>(-1)) {
                image->data = shm.shmaddr;
                shm.readOnly = False;
                g_xErrorSeen = false;
                XShmAttach(display, &shm);
                XSync(display, False);
                // Marked for removal now; it goes away when both sides detach.
                shmctl(shm.shmid, IPC_RMID, nullptr);
                usingShm = !g_xErrorSeen;
            }
            if (!usingShm) {
                if (shm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(shm.shmaddr);
                if (shm.shmid >= 0 && shm.shmaddr == reinterpret_cast<char*>(-1))
                    shmctl(shm.shmid, IPC_RMID, nullptr);
                image->data = nullptr;
                XDestroyImage(image);
                image = nullptr;
            }
        }
    }
    if (usingShm) {
        buffer = {reinterpret_cast<uint8_t*>(image->data), width, height, image->bytes_per_line};
    } else {
        plainBuffer.resize(width, height);
        buffer = plainBuffer.desc();
        image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                             reinterpret_cast<char*>(buffer.pixels), static_cast<unsigned>(width),
                             static_cast<unsigned>(height), 32, buffer.stride);
    }
    invalid.add(CRect(0, 0, width, height), CRect(0, 0, width, height));
}

void CFrameX11::Impl::destroyBuffer() {
    if (!image) return;
    if (usingShm) {
        XShmDetach(display, &shm);
        XSync(display, False);
        shmdt(shm.shmaddr);
    }
    image->data = nullptr; // the pixels belong to the shared segment or the owned buffer
    XDestroyImage(image);
    image = nullptr;
    usingShm = false;
    buffer = {};
}

void CFrameX11::Impl::paint() {
    if (!image || invalid.isEmpty()) return;
    for (const CRect& area : invalid.take()) {
        CRect r = area;
        r.bound(CRect(0, 0, buffer.width, buffer.height));
        const int x = static_cast<int>(std::floor(r.left)), y = static_cast<int>(std::floor(r.top));
        const int w = static_cast<int>(std::ceil(r.right)) - x, h = static_cast<int>(std::ceil(r.bottom)) - y;
        if (w <= 0 || h <= 0) continue;
        frame->drawRect(nullptr, CRect(x, y, x + w, y + h));
        if (usingShm)
            XShmPutImage(display, window, gc, image, x, y, x, y, static_cast<unsigned>(w),
                         static_cast<unsigned>(h), False);
        else
            XPutImage(display, window, gc, image, x, y, x, y, static_cast<unsigned>(w),
                      static_cast<unsigned>(h));
    }
    XFlush(display);
}

int32_t CFrameX11::Impl::modifiers(unsigned int state) const {
    int32_t buttons = 0;
    if (state & Button1Mask) buttons |= kLButton;
    if (state & Button2Mask) buttons |= kMButton;
    if (state & Button3Mask) buttons |= kRButton;
    if (state & ShiftMask) buttons |= kShift;
    if (state & ControlMask) buttons |= kControl;
    if (state & Mod1Mask) buttons |= kAlt;
    return buttons;
}

void CFrameX11::Impl::handle(XEvent& event) {
    frame->addRef(); // a handler may close the editor
    switch (event.type) {
    case Expose:
        invalid.add(
            CRect::fromSize(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height),
            frame->getViewSize());
        break;
    case ButtonPress: {
        const XButtonEvent& b = event.xbutton;
        const int32_t mods = modifiers(b.state) & kModifierMask;
        if (b.button == 4 || b.button == 5 || b.button == 6 || b.button == 7) {
            // Wheel: one notch per press, positive away from the user.
            const float distance = (b.button == 4 || b.button == 6) ? 1.0f : -1.0f;
            frame->onWheel(CPoint(b.x, b.y), b.button >= 6 ? 1 : 0, distance, mods);
            break;
        }
        int32_t buttons = mods;
        buttons |= b.button == 1   ? kLButton
                   : b.button == 2 ? kMButton
                   : b.button == 3 ? kRButton
                   : b.button == 8 ? kButton4
                   : b.button == 9 ? kButton5
                                   : 0;
        if (b.button == lastButton && b.time - lastPressTime <= kDoubleClickMs &&
            std::abs(b.x - lastPressX) <= kDoubleClickDistance &&
            std::abs(b.y - lastPressY) <= kDoubleClickDistance) {
            buttons |= kDoubleClick;
            lastButton = 0;
        } else {
            lastButton = b.button;
            lastPressTime = b.time;
            lastPressX = b.x;
            lastPressY = b.y;
        }
        CPoint where(b.x, b.y);
        if (frame->onMouseDown(where, buttons) == kMouseHandled && !grabbed) {
            grabbed =
                XGrabPointer(display, window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                             GrabModeAsync, GrabModeAsync, None, None, b.time) == GrabSuccess;
        }
        break;
    }
    case ButtonRelease: {
        const XButtonEvent& b = event.xbutton;
        if (b.button >= 4 && b.button <= 7) break;
        // The state holds the buttons before the release; report those still down.
        unsigned int state = b.state;
        if (b.button == 1) state &= ~Button1Mask;
        if (b.button == 2) state &= ~Button2Mask;
        if (b.button == 3) state &= ~Button3Mask;
        CPoint where(b.x, b.y);
        frame->onMouseUp(where, modifiers(state));
        if (grabbed && !(state & (Button1Mask | Button2Mask | Button3Mask))) {
            XUngrabPointer(display, b.time);
            grabbed = false;
        }
        break;
    }
    case MotionNotify: {
        XEvent latest = event;
        // Only the newest position matters.
        while (XCheckTypedWindowEvent(display, window, MotionNotify, &latest)) {
        }
        CPoint where(latest.xmotion.x, latest.xmotion.y);
        frame->onMouseMoved(where, modifiers(latest.xmotion.state));
        break;
    }
    case LeaveNotify:
        if (event.xcrossing.mode == NotifyNormal) {
            CPoint where(event.xcrossing.x, event.xcrossing.y);
            frame->onMouseExited(where, modifiers(event.xcrossing.state));
        }
        break;
    case KeyPress:
    case KeyRelease: {
        VstKeyCode key;
        if (!keyCodeFromEvent(event, key)) break;
        if (event.type == KeyPress)
            frame->onKeyDown(key);
        else
            frame->onKeyUp(key);
        break;
    }
    case ClientMessage:
        if (topLevel && static_cast<Atom>(event.xclient.data.l[0]) == wmDelete) closeRequested = true;
        break;
    default:
        break;
    }
    frame->release();
}

void CFrameX11::Impl::finishPopup() {
    // The windows go first: the menu's callback may open the next popup.
    std::unique_ptr<CPopupMenuSession> session = popup->releaseSession();
    popup.reset();
    frame->addRef();
    session->deliver();
    frame->release();
}

CFrameX11::CFrameX11(CFrame* frame, unsigned long parentWindow, const char* title)
    : m_impl(std::make_unique<Impl>()) {
    Impl& d = *m_impl;
    d.frame = frame;
    XSetErrorHandler(ignoreXError);
    d.display = XOpenDisplay(nullptr);
    if (!d.display) return;
    const int screen = DefaultScreen(d.display);
    d.topLevel = parentWindow == 0;
    d.parent = d.topLevel ? RootWindow(d.display, screen) : static_cast<Window>(parentWindow);
    const CRect size = frame->getViewSize();
    const auto width = static_cast<unsigned>(std::max(1.0, size.width()));
    const auto height = static_cast<unsigned>(std::max(1.0, size.height()));

    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | EnterWindowMask | KeyPressMask | KeyReleaseMask |
                            StructureNotifyMask | FocusChangeMask;
    attributes.background_pixel = BlackPixel(d.display, screen);
    g_xErrorSeen = false;
    d.window = XCreateWindow(d.display, d.parent, 0, 0, width, height, 0, CopyFromParent, InputOutput,
                             CopyFromParent, CWEventMask | CWBackPixel, &attributes);
    XSync(d.display, False);
    if (g_xErrorSeen || !d.window) {
        d.window = 0;
        return;
    }
    // Some hosts expect the embedding information even though they do not require XEmbed.
    const Atom xembedInfo = XInternAtom(d.display, "_XEMBED_INFO", False);
    const long info[2] = {1, 0};
    XChangeProperty(d.display, d.window, xembedInfo, xembedInfo, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(info), 2);
    if (d.topLevel) {
        d.wmDelete = XInternAtom(d.display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(d.display, d.window, &d.wmDelete, 1);
        if (title) XStoreName(d.display, d.window, title);
        XSizeHints hints{};
        hints.flags = PMinSize | PMaxSize;
        hints.min_width = hints.max_width = static_cast<int>(width);
        hints.min_height = hints.max_height = static_cast<int>(height);
        XSetWMNormalHints(d.display, d.window, &hints);
    }
    d.gc = XCreateGC(d.display, d.window, 0, nullptr);
    d.createBuffer(static_cast<int>(width), static_cast<int>(height));
    setCursor(CursorType::kDefault);
    XMapRaised(d.display, d.window);
    XFlush(d.display);
}

CFrameX11::~CFrameX11() {
    Impl& d = *m_impl;
    if (!d.display) return;
    d.popup.reset();
    if (d.window) {
        d.destroyBuffer();
        for (auto& [type, cursor] : d.cursors) XFreeCursor(d.display, cursor);
        XFreeGC(d.display, d.gc);
        XDestroyWindow(d.display, d.window);
    }
    XCloseDisplay(d.display);
}

bool CFrameX11::isOpen() const {
    return m_impl->display && m_impl->window;
}
bool CFrameX11::closeRequested() const {
    return m_impl->closeRequested;
}
void* CFrameX11::getPlatformHandle() const {
    return reinterpret_cast<void*>(m_impl->window);
}

void CFrameX11::pump() {
    Impl& d = *m_impl;
    if (!isOpen()) return;
    addRef();
    while (XPending(d.display)) {
        XEvent event;
        XNextEvent(d.display, &event);
        if (d.popup && d.popup->handle(event)) continue;
        if (event.xany.window == d.window) d.handle(event);
    }
    if (d.popup) {
        d.popup->update(CTimerService::instance().now());
        if (d.popup->isFinished()) d.finishPopup();
    }
    CTimerService::instance().poll();
    d.frame->idle(); // hands the dirty views to invalidRect and calls idle()
    release();
}

void CFrameX11::invalidRect(const CRect& rect) {
    m_impl->invalid.add(rect, m_impl->frame->getViewSize());
}

void CFrameX11::idle() {
    m_impl->paint();
}

bool CFrameX11::setSize(double width, double height) {
    Impl& d = *m_impl;
    if (!isOpen()) return false;
    XResizeWindow(d.display, d.window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    d.createBuffer(static_cast<int>(width), static_cast<int>(height));
    return true;
}

CPixelBuffer CFrameX11::getBackBuffer() {
    return m_impl->buffer;
}

void CFrameX11::setCursor(CursorType cursor) {
    Impl& d = *m_impl;
    if (!isOpen()) return;
    auto it = d.cursors.find(cursor);
    if (it == d.cursors.end()) {
        unsigned shape = XC_left_ptr;
        switch (cursor) {
        case CursorType::kHand:
            shape = XC_hand2;
            break;
        case CursorType::kVerticalResize:
            shape = XC_sb_v_double_arrow;
            break;
        case CursorType::kHorizontalResize:
            shape = XC_sb_h_double_arrow;
            break;
        case CursorType::kText:
            shape = XC_xterm;
            break;
        case CursorType::kWait:
            shape = XC_watch;
            break;
        case CursorType::kDefault:
            break;
        }
        it = d.cursors.emplace(cursor, XCreateFontCursor(d.display, shape)).first;
    }
    XDefineCursor(d.display, d.window, it->second);
}

void CFrameX11::takeKeyboardFocus() {
    if (isOpen()) XSetInputFocus(m_impl->display, m_impl->window, RevertToParent, CurrentTime);
}

bool CFrameX11::showPopupMenu(COptionMenu* menu, const CPoint& where) {
    Impl& d = *m_impl;
    if (!isOpen() || !menu || menu->getNbEntries() == 0) return false;
    d.popup.reset(); // a new popup replaces one still open
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(d.display, d.window, DefaultRootWindow(d.display), static_cast<int>(where.x),
                          static_cast<int>(where.y), &rootX, &rootY, &child);
    // A menu that shows its choice is at least as wide as the control; a context menu opens at the
    // pointer and takes the width its entries need.
    const double minWidth = menu->isTypeOf("Mirda_ContextMenu") ? 0 : menu->getViewSize().width();
    d.popup = std::make_unique<CX11PopupMenu>(d.display, menu, CPoint(rootX, rootY), minWidth);
    d.popup->update(CTimerService::instance().now());
    return true;
}

const CPopupMenuSession* CFrameX11::popupSession() const {
    return m_impl->popup ? &m_impl->popup->session() : nullptr;
}

} // namespace Mirda
