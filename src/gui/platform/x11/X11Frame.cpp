#include "gui/platform/x11/X11Frame.h"

#include "gui/DirtyRectHelper.h"
#include "gui/Frame.h"
#include "gui/OptionMenu.h"
#include "gui/TimerService.h"
#include "gui/platform/x11/X11ErrorTrap.h"
#include "gui/platform/x11/X11Keys.h"
#include "gui/platform/x11/X11Motion.h"
#include "gui/platform/x11/X11PopupMenu.h"
#include "gui/platform/x11/X11Surface.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

namespace Mirda {
namespace {

// Keys reach the editor's window only while one of its text fields is open; every other key goes to
// the host window under it.
constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | EnterWindowMask | StructureNotifyMask | FocusChangeMask;
constexpr long kKeyMask = KeyPressMask | KeyReleaseMask;

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
    bool lost = false; // the connection broke: the X server is gone
    Atom wmDelete = 0;
    CX11Visual visual;
    std::unique_ptr<CX11Surface> surface;
    CDirtyRectHelper invalid;
    std::map<CursorType, Cursor> cursors;
    bool grabbed = false;
    // Double-click detection.
    unsigned int lastButton = 0;
    Time lastPressTime = 0;
    int lastPressX = -100, lastPressY = -100;
    // Text input: the input method composes characters (dead keys, compose sequences, any script).
    XIM inputMethod = nullptr;
    XIC inputContext = nullptr;
    // While a text field is open the window holds the keyboard focus; it goes back where it was.
    bool keyboardTaken = false;
    Window focusBefore = 0;
    std::unique_ptr<CX11PopupMenu> popup;

    void paint();
    bool hasKeyboardFocus() const;
    void openInputMethod();
    void releaseKeyboard();
    void handle(XEvent& event);
    void finishPopup();
    int32_t modifiers(unsigned int state) const;
};

void CFrameX11::Impl::paint() {
    if (!surface || invalid.isEmpty()) return;
    const CPixelBuffer& buffer = surface->buffer();
    for (const CRect& area : invalid.take()) {
        CRect r = area;
        r.bound(CRect(0, 0, buffer.width, buffer.height));
        const int x = static_cast<int>(std::floor(r.left)), y = static_cast<int>(std::floor(r.top));
        const int w = static_cast<int>(std::ceil(r.right)) - x, h = static_cast<int>(std::ceil(r.bottom)) - y;
        if (w <= 0 || h <= 0) continue;
        frame->drawRect(nullptr, CRect(x, y, x + w, y + h));
        surface->put(x, y, w, h);
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
        takeLatestMotion(display, latest);
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
    case KeyRelease:
        for (VstKeyCode& key : keyCodesFromEvent(event, inputContext)) {
            if (event.type == KeyPress)
                frame->onKeyDown(key);
            else
                frame->onKeyUp(key);
        }
        break;
    case FocusOut:
        // The user moved the keyboard elsewhere (a click into the host): the open text field ends. The
        // focus changes of our own hand-over leave the focus with us by the time they arrive.
        if (keyboardTaken && event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab &&
            event.xfocus.detail != NotifyInferior && !hasKeyboardFocus())
            frame->setFocusView(nullptr);
        break;
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

bool CFrameX11::Impl::hasKeyboardFocus() const {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus == window;
}

void CFrameX11::Impl::openInputMethod() {
    inputMethod = XOpenIM(display, nullptr, nullptr, nullptr);
    if (!inputMethod) return;
    inputContext = XCreateIC(inputMethod, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow,
                             window, XNFocusWindow, window, nullptr);
}

void CFrameX11::Impl::releaseKeyboard() {
    if (!keyboardTaken) return;
    keyboardTaken = false;
    XSelectInput(display, window, kEventMask);
    if (inputContext) XUnsetICFocus(inputContext);
    if (!hasKeyboardFocus()) return; // the user already moved it
    CX11ErrorTrap trap(display);
    const Window back = focusBefore == None ? parent : focusBefore;
    XSetInputFocus(display, back, RevertToParent, CurrentTime);
    if (trap.failed() && back != parent) XSetInputFocus(display, parent, RevertToParent, CurrentTime);
}

CFrameX11::CFrameX11(CFrame* frame, unsigned long parentWindow, const char* title)
    : m_impl(std::make_unique<Impl>()) {
    Impl& d = *m_impl;
    d.frame = frame;
    d.display = XOpenDisplay(nullptr);
    if (!d.display) return;
    CX11ErrorTrap::keepAliveOnLoss(d.display, &d.lost);
    CX11ErrorTrap trap(d.display);
    const int screen = DefaultScreen(d.display);
    d.topLevel = parentWindow == 0;
    d.parent = d.topLevel ? RootWindow(d.display, screen) : static_cast<Window>(parentWindow);
    const CRect size = frame->getViewSize();
    const auto width = static_cast<unsigned>(std::max(1.0, size.width()));
    const auto height = static_cast<unsigned>(std::max(1.0, size.height()));

    // Our own visual rather than the parent's: the host window may have any depth.
    d.visual = CX11Visual::choose(d.display);
    XSetWindowAttributes attributes{};
    attributes.event_mask = kEventMask;
    d.window = XCreateWindow(d.display, d.parent, 0, 0, width, height, 0, d.visual.depth, InputOutput,
                             d.visual.visual, CWEventMask | d.visual.apply(attributes), &attributes);
    if (trap.failed() || !d.window) {
        d.window = 0; // a parent that is already gone
        return;
    }
    // Hosts that honour XEmbed keep the window hidden unless it says it wants to be mapped.
    const Atom xembedInfo = XInternAtom(d.display, "_XEMBED_INFO", False);
    constexpr long kXEmbedVersion = 0, kXEmbedMapped = 1;
    const long info[2] = {kXEmbedVersion, kXEmbedMapped};
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
    d.surface = std::make_unique<CX11Surface>(d.display, d.window, d.visual);
    d.surface->resize(static_cast<int>(width), static_cast<int>(height));
    d.invalid.add(CRect(0, 0, width, height), CRect(0, 0, width, height));
    d.openInputMethod();
    setCursor(CursorType::kDefault);
    XMapRaised(d.display, d.window);
}

CFrameX11::~CFrameX11() {
    Impl& d = *m_impl;
    if (!d.display) return;
    {
        CX11ErrorTrap trap(d.display);
        d.popup.reset();
        if (d.window) {
            d.releaseKeyboard();
            if (d.inputContext) XDestroyIC(d.inputContext);
            if (d.inputMethod) XCloseIM(d.inputMethod);
            d.surface.reset();
            for (auto& [type, cursor] : d.cursors) XFreeCursor(d.display, cursor);
            XDestroyWindow(d.display, d.window);
        }
        XFreeColormap(d.display, d.visual.colormap);
    }
    XCloseDisplay(d.display);
}

bool CFrameX11::isOpen() const {
    return m_impl->display && m_impl->window && !m_impl->lost;
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
    addRef(); // a handler may close the editor
    {
        CX11ErrorTrap trap(d.display);
        XSync(d.display, False); // every event the server generated so far is handled in this pass
        while (XPending(d.display)) {
            XEvent event;
            XNextEvent(d.display, &event);
            if (event.type == MappingNotify) {
                XRefreshKeyboardMapping(&event.xmapping); // the user switched the keyboard layout
                continue;
            }
            if (XFilterEvent(&event, None)) continue; // the input method took it
            if (d.popup && d.popup->handle(event)) continue;
            if (event.xany.window == d.window) d.handle(event);
        }
        if (d.popup) {
            d.popup->update(CTimerService::instance().now());
            if (d.popup->isFinished()) d.finishPopup();
        }
        CTimerService::instance().poll();
        d.frame->idle(); // hands the dirty views to invalidRect and calls idle()
    }
    release();
}

void CFrameX11::invalidRect(const CRect& rect) {
    m_impl->invalid.add(rect, m_impl->frame->getViewSize());
}

void CFrameX11::idle() {
    if (!isOpen()) return;
    CX11ErrorTrap trap(m_impl->display);
    m_impl->paint();
}

bool CFrameX11::setSize(double width, double height) {
    Impl& d = *m_impl;
    if (!isOpen()) return false;
    CX11ErrorTrap trap(d.display);
    XResizeWindow(d.display, d.window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    d.surface->resize(static_cast<int>(width), static_cast<int>(height));
    d.invalid.add(CRect(0, 0, width, height), CRect(0, 0, width, height));
    return true;
}

CPixelBuffer CFrameX11::getBackBuffer() {
    return m_impl->surface ? m_impl->surface->buffer() : CPixelBuffer{};
}

void CFrameX11::setCursor(CursorType cursor) {
    Impl& d = *m_impl;
    if (!isOpen()) return;
    CX11ErrorTrap trap(d.display);
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
    Impl& d = *m_impl;
    if (!isOpen()) return;
    CX11ErrorTrap trap(d.display);
    if (!d.keyboardTaken) {
        int revert = 0;
        XGetInputFocus(d.display, &d.focusBefore, &revert);
        long mask = kEventMask | kKeyMask;
        unsigned long filterMask = 0;
        if (d.inputContext && !XGetICValues(d.inputContext, XNFilterEvents, &filterMask, nullptr))
            mask |= static_cast<long>(filterMask);
        XSelectInput(d.display, d.window, mask);
        if (d.inputContext) XSetICFocus(d.inputContext);
        d.keyboardTaken = true;
    }
    XSetInputFocus(d.display, d.window, RevertToParent, CurrentTime);
}

void CFrameX11::releaseKeyboardFocus() {
    if (isOpen()) m_impl->releaseKeyboard();
}

bool CFrameX11::showPopupMenu(COptionMenu* menu, const CPoint& where) {
    Impl& d = *m_impl;
    if (!isOpen() || !menu || menu->getNbEntries() == 0) return false;
    CX11ErrorTrap trap(d.display);
    d.popup.reset(); // a new popup replaces one still open
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(d.display, d.window, DefaultRootWindow(d.display), static_cast<int>(where.x),
                          static_cast<int>(where.y), &rootX, &rootY, &child);
    // A menu that shows its choice is at least as wide as the control and, when it has to open above,
    // leaves the control visible; a context menu opens at the pointer and takes the width its entries
    // need.
    const bool contextMenu = menu->isTypeOf("Mirda_ContextMenu");
    const double minWidth = contextMenu ? 0 : menu->getViewSize().width();
    const double controlTop =
        contextMenu ? rootY : rootY - (where.y - menu->parentToFrame(menu->getViewSize()).top);
    d.popup = std::make_unique<CX11PopupMenu>(d.display, d.visual, menu, CPoint(rootX, rootY), controlTop,
                                              minWidth);
    d.popup->update(CTimerService::instance().now());
    return true;
}

IPlatformWindow* openPlatformWindow(CFrame* frame, void* parent, const char* title) {
    auto* window = new CFrameX11(frame, reinterpret_cast<uintptr_t>(parent), title);
    if (window->isOpen()) return window;
    window->release();
    return nullptr;
}

const CPopupMenuSession* CFrameX11::popupSession() const {
    return m_impl->popup ? &m_impl->popup->session() : nullptr;
}

} // namespace Mirda
