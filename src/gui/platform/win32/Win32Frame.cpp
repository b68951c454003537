#include "gui/platform/win32/Win32Frame.h"

#include "core/platform/win32/WideText.h"
#include "gui/DirtyRectHelper.h"
#include "gui/Frame.h"
#include "gui/OptionMenu.h"
#include "gui/TimerService.h"
#include "gui/platform/win32/Win32Dpi.h"
#include "gui/platform/win32/Win32Keys.h"
#include "gui/platform/win32/Win32PopupMenu.h"
#include "gui/platform/win32/Win32Surface.h"
#include "gui/platform/win32/Win32WindowClass.h"

#include <windowsx.h>

#include <cmath>

namespace Mirda {
namespace {

constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdleIntervalMs = 15;
#ifndef WM_DPICHANGED_AFTERPARENT
constexpr UINT WM_DPICHANGED_AFTERPARENT = 0x02E3;
#endif

int32_t buttonsOf(WPARAM state) {
    int32_t buttons = 0;
    if (state & MK_LBUTTON) buttons |= kLButton;
    if (state & MK_MBUTTON) buttons |= kMButton;
    if (state & MK_RBUTTON) buttons |= kRButton;
    if (state & MK_XBUTTON1) buttons |= kButton4;
    if (state & MK_XBUTTON2) buttons |= kButton5;
    if (state & MK_SHIFT) buttons |= kShift;
    if (state & MK_CONTROL) buttons |= kControl;
    if (GetKeyState(VK_MENU) < 0) buttons |= kAlt;
    return buttons;
}

// The button a press or release message is about.
int32_t buttonOf(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        return kLButton;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
        return kRButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
        return kMButton;
    default:
        return GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? kButton4 : kButton5;
    }
}

LPCWSTR cursorName(CursorType cursor) {
    switch (cursor) {
    case CursorType::kHand:
        return reinterpret_cast<LPCWSTR>(IDC_HAND);
    case CursorType::kVerticalResize:
        return reinterpret_cast<LPCWSTR>(IDC_SIZENS);
    case CursorType::kHorizontalResize:
        return reinterpret_cast<LPCWSTR>(IDC_SIZEWE);
    case CursorType::kText:
        return reinterpret_cast<LPCWSTR>(IDC_IBEAM);
    case CursorType::kWait:
        return reinterpret_cast<LPCWSTR>(IDC_WAIT);
    case CursorType::kDefault:
        break;
    }
    return reinterpret_cast<LPCWSTR>(IDC_ARROW);
}

CPoint pointOf(LPARAM lParam) {
    return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

} // namespace

struct CFrameWin32::Impl {
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    CFrameWin32* self = nullptr;
    CFrame* frame = nullptr;
    HWND window = nullptr;
    HWND parent = nullptr;
    bool closeRequested = false;
    CWin32WindowClass windowClass{L"Frame", procedure, CS_DBLCLKS};
    CWin32Surface surface;
    CDirtyRectHelper invalid;
    HCURSOR cursor = nullptr;
    bool tracking = false; // asked for WM_MOUSELEAVE
    bool captured = false;
    // While a text field (or a popup menu) is open the window holds the keyboard focus; it goes back
    // where it was.
    bool keyboardTaken = false;
    bool focusForPopup = false;
    HWND focusBefore = nullptr;
    uint8_t characterKey = 0; // the virtual key of the press whose WM_CHAR comes next
    wchar_t highSurrogate = 0;
    std::unique_ptr<CWin32PopupMenu> popup;
    int handling = 0; // nesting depth of messages being handled

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool handlePopupInput(UINT message, WPARAM wParam, LPARAM lParam);
    void mouseDown(UINT message, WPARAM wParam, LPARAM lParam);
    void mouseUp(UINT message, WPARAM wParam, LPARAM lParam);
    void wheel(UINT message, WPARAM wParam, LPARAM lParam);
    void character(wchar_t unit);
    void paint(HDC dc);
    void repaint();
    void runPass();
    void takeFocus();
    void giveFocusBack();
    void finishPopup();
};

LRESULT CALLBACK CFrameWin32::Impl::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* impl = static_cast<Impl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        impl->window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(impl));
    }
    auto* impl = reinterpret_cast<Impl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!impl || !impl->self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The host destroyed its window (and ours with it) before closing the editor: the frame reports
        // itself closed and the editor lets it go at its next idle pass.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        impl->window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // A handler may close the editor: the frame lives until the message is done.
    CFrameWin32* self = impl->self;
    self->addRef();
    impl->frame->addRef();
    ++impl->handling;
    const LRESULT result = impl->handle(message, wParam, lParam);
    --impl->handling;
    impl->frame->release();
    self->release();
    return result;
}

LRESULT CFrameWin32::Impl::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (popup && handlePopupInput(message, wParam, lParam)) return 0;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        invalid.add(CRect(ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom),
                    frame->getViewSize());
        paint(dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK:
        mouseDown(message, wParam, lParam);
        return message == WM_XBUTTONDOWN || message == WM_XBUTTONDBLCLK ? TRUE : 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
        mouseUp(message, wParam, lParam);
        return message == WM_XBUTTONUP ? TRUE : 0;
    case WM_MOUSEMOVE: {
        if (!tracking) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
            tracking = TrackMouseEvent(&track);
        }
        CPoint where = pointOf(lParam);
        frame->onMouseMoved(where, buttonsOf(wParam));
        return 0;
    }
    case WM_MOUSELEAVE: {
        tracking = false;
        CPoint where = frame->getLastMousePosition();
        frame->onMouseExited(where, buttonsOf(0));
        return 0;
    }
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        wheel(message, wParam, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        captured = false;
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && cursor) {
            SetCursor(cursor);
            return TRUE;
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const uint8_t virtualKey = virtualKeyFromWin32(static_cast<unsigned>(wParam));
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        // Shortcuts: Ctrl with a letter types a control character, so the letter goes as the key's own.
        const uint8_t held = heldModifiers();
        if (down && wParam >= 'A' && wParam <= 'Z' && held == MODIFIER_CONTROL) {
            VstKeyCode key{static_cast<int32_t>(wParam - 'A' + 'a'), 0, held};
            frame->onKeyDown(key);
            return 0;
        }
        if (typesCharacter(static_cast<unsigned>(wParam))) {
            if (down) characterKey = virtualKey; // the character itself follows as WM_CHAR
            return 0;
        }
        if (!virtualKey) break;
        VstKeyCode key{0, virtualKey, held};
        if (down)
            frame->onKeyDown(key);
        else
            frame->onKeyUp(key);
        return 0;
    }
    case WM_CHAR:
        character(static_cast<wchar_t>(wParam));
        return 0;
    case WM_KILLFOCUS:
        // The user moved the keyboard elsewhere (a click into the host): the open text field ends.
        if (keyboardTaken && reinterpret_cast<HWND>(wParam) != window) {
            keyboardTaken = false;
            frame->setFocusView(nullptr);
        }
        return 0;
    case WM_TIMER:
        // Not while one of our own handlers runs (a modal loop inside it dispatches timers too).
        if (wParam == kIdleTimer && handling == 1) runPass();
        return 0;
    case WM_CLOSE:
        closeRequested = true; // a top-level window: its owner closes the frame
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool CFrameWin32::Impl::handlePopupInput(UINT message, WPARAM wParam, LPARAM lParam) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        // The window holds the capture: every pointer message, wherever it happened, comes here.
        ClientToScreen(window, &at);
        const CPoint where(at.x, at.y);
        if (message == WM_MOUSEMOVE)
            popup->mouseMoved(where);
        else if (message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP)
            popup->mouseUp(where);
        else
            popup->mouseDown(where);
        break;
    }
    case WM_MOUSEWHEEL:
        popup->wheel(CPoint(at.x, at.y),
                     static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / static_cast<float>(WHEEL_DELTA));
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (const uint8_t virtualKey = virtualKeyFromWin32(static_cast<unsigned>(wParam)))
            popup->key({0, virtualKey, heldModifiers()});
        break;
    case WM_CHAR:
        if (wParam >= 0x20) popup->key({static_cast<int32_t>(wParam), 0, heldModifiers()});
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        // Another window took the mouse (a switch to another program): the menu closes unchosen.
        if (reinterpret_cast<HWND>(lParam) != window) popup->dismiss();
        break;
    default:
        return false;
    }
    popup->update(CTimerService::instance().now());
    if (popup->isFinished()) finishPopup();
    return true;
}

void CFrameWin32::Impl::mouseDown(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool doubleClick = message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK ||
                             message == WM_MBUTTONDBLCLK || message == WM_XBUTTONDBLCLK;
    const int32_t buttons =
        (buttonsOf(wParam) & kModifierMask) | buttonOf(message, wParam) | (doubleClick ? kDoubleClick : 0);
    CPoint where = pointOf(lParam);
    if (frame->onMouseDown(where, buttons) == kMouseHandled && !captured && window) {
        SetCapture(window);
        captured = true;
    }
}

void CFrameWin32::Impl::mouseUp(UINT, WPARAM wParam, LPARAM lParam) {
    // The state holds the buttons still down after this release.
    CPoint where = pointOf(lParam);
    frame->onMouseUp(where, buttonsOf(wParam));
    if (captured && !(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2))) {
        captured = false;
        ReleaseCapture();
    }
}

void CFrameWin32::Impl::wheel(UINT message, WPARAM wParam, LPARAM lParam) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(window, &at);
    // Positive away from the user, and to the left, as the X11 buttons give it; Windows counts a tilt to
    // the right as positive. Fine-grained wheels send fractions of a notch.
    const float notches =
        static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / static_cast<float>(WHEEL_DELTA);
    const bool horizontal = message == WM_MOUSEHWHEEL;
    frame->onWheel(CPoint(at.x, at.y), horizontal ? 1 : 0, horizontal ? -notches : notches,
                   buttonsOf(GET_KEYSTATE_WPARAM(wParam)) & kModifierMask);
}

void CFrameWin32::Impl::character(wchar_t unit) {
    // Characters above the first plane arrive as two UTF-16 units.
    char32_t c = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        highSurrogate = unit;
        return;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        if (!highSurrogate) return;
        c = 0x10000 + ((static_cast<char32_t>(highSurrogate) - 0xD800) << 10) + (unit - 0xDC00);
    }
    highSurrogate = 0;
    const uint8_t virtualKey = characterKey;
    characterKey = 0;
    if (c < 0x20 || c == 0x7F) return; // control characters came as their keys already
    VstKeyCode key{static_cast<int32_t>(c), virtualKey,
                   static_cast<uint8_t>(heldModifiers() & ~MODIFIER_SHIFT)};
    frame->onKeyDown(key);
}

void CFrameWin32::Impl::paint(HDC dc) {
    if (invalid.isEmpty()) return;
    const CPixelBuffer& buffer = surface.buffer();
    for (const CRect& area : invalid.take()) {
        CRect r = area;
        r.bound(CRect(0, 0, buffer.width, buffer.height));
        const int x = static_cast<int>(std::floor(r.left)), y = static_cast<int>(std::floor(r.top));
        const int w = static_cast<int>(std::ceil(r.right)) - x, h = static_cast<int>(std::ceil(r.bottom)) - y;
        if (w <= 0 || h <= 0) continue;
        frame->drawRect(nullptr, CRect(x, y, x + w, y + h));
        surface.put(dc, x, y, w, h);
    }
}

void CFrameWin32::Impl::repaint() {
    if (!window || invalid.isEmpty()) return;
    if (HDC dc = GetDC(window)) {
        paint(dc);
        ReleaseDC(window, dc);
    }
}

void CFrameWin32::Impl::runPass() {
    if (popup) {
        popup->update(CTimerService::instance().now());
        if (popup->isFinished()) finishPopup();
    }
    CTimerService::instance().poll();
    frame->idle(); // hands the dirty views to invalidRect and calls idle()
}

void CFrameWin32::Impl::takeFocus() {
    if (!keyboardTaken && !focusForPopup) focusBefore = GetFocus();
    if (GetFocus() != window) SetFocus(window);
}

void CFrameWin32::Impl::giveFocusBack() {
    if (keyboardTaken || focusForPopup || !window || GetFocus() != window) return; // the user moved it
    const HWND back = focusBefore && IsWindow(focusBefore) ? focusBefore : parent;
    focusBefore = nullptr;
    SetFocus(IsWindow(back) ? back : nullptr);
}

void CFrameWin32::Impl::finishPopup() {
    // The windows go first: the menu's callback may open the next popup.
    std::unique_ptr<CPopupMenuSession> session = popup->releaseSession();
    popup.reset();
    if (window && GetCapture() == window) ReleaseCapture();
    focusForPopup = false;
    giveFocusBack();
    session->deliver();
}

CFrameWin32::CFrameWin32(CFrame* frame, void* parent, const char* title) : m_impl(std::make_unique<Impl>()) {
    Impl& d = *m_impl;
    d.self = this;
    d.frame = frame;
    d.parent = static_cast<HWND>(parent);
    if (d.parent && !IsWindow(d.parent)) return; // already gone
    const CRect size = frame->getViewSize();
    const int width = static_cast<int>(std::max(1.0, size.width()));
    const int height = static_cast<int>(std::max(1.0, size.height()));
    d.surface.resize(width, height);
    if (!d.surface.buffer().isValid()) return;
    d.cursor = LoadCursorW(nullptr, cursorName(CursorType::kDefault));
    if (d.parent) {
        // A child window has its parent's DPI awareness.
        CDpiAwarenessScope awareness(d.parent);
        CreateWindowExW(0, d.windowClass.name(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, width,
                        height, d.parent, nullptr, CWin32WindowClass::module(), &d);
    } else {
        constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        RECT outer{0, 0, width, height};
        AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
        CreateWindowExW(0, d.windowClass.name(), Core::widened(title ? title : "").c_str(),
                        kStyle | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                        outer.bottom - outer.top, nullptr, nullptr, CWin32WindowClass::module(), &d);
    }
    if (!d.window) return;
    d.invalid.add(CRect(0, 0, width, height), CRect(0, 0, width, height));
    SetTimer(d.window, kIdleTimer, kIdleIntervalMs, nullptr);
}

CFrameWin32::~CFrameWin32() {
    Impl& d = *m_impl;
    // The frame is going (often from inside its own close): no handler may run for what follows.
    if (d.window) SetWindowLongPtrW(d.window, GWLP_USERDATA, 0);
    d.popup.reset();
    if (!d.window) return;
    KillTimer(d.window, kIdleTimer);
    if (GetCapture() == d.window) ReleaseCapture();
    d.keyboardTaken = d.focusForPopup = false;
    d.giveFocusBack();
    DestroyWindow(d.window);
}

IPlatformWindow* openPlatformWindow(CFrame* frame, void* parent, const char* title) {
    auto* window = new CFrameWin32(frame, parent, title);
    if (window->isOpen()) return window;
    window->release();
    return nullptr;
}

bool CFrameWin32::isOpen() const {
    return m_impl->window != nullptr;
}

void* CFrameWin32::getPlatformHandle() const {
    return m_impl->window;
}

bool CFrameWin32::closeRequested() const {
    return m_impl->closeRequested;
}

void CFrameWin32::pump() {
    if (!isOpen()) return;
    addRef(); // a handler may close the editor
    // A top-level window has no host loop: its own messages are handled here.
    MSG message;
    while (!m_impl->parent && m_impl->handling == 0 && m_impl->window &&
           PeekMessageW(&message, m_impl->window, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // Called from inside one of our handlers (a host idling from a modal loop such as the file dialog's):
    // only the repaint, never input or timers in the middle of a handler.
    if (m_impl->handling > 0)
        m_impl->repaint();
    else
        m_impl->runPass();
    release();
}

void CFrameWin32::invalidRect(const CRect& rect) {
    m_impl->invalid.add(rect, m_impl->frame->getViewSize());
}

void CFrameWin32::idle() {
    m_impl->repaint();
}

bool CFrameWin32::setSize(double width, double height) {
    Impl& d = *m_impl;
    if (!isOpen()) return false;
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    SetWindowPos(d.window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    d.surface.resize(w, h);
    d.invalid.add(CRect(0, 0, width, height), CRect(0, 0, width, height));
    return true;
}

CPixelBuffer CFrameWin32::getBackBuffer() {
    return m_impl->surface.buffer();
}

void CFrameWin32::setCursor(CursorType cursor) {
    Impl& d = *m_impl;
    d.cursor = LoadCursorW(nullptr, cursorName(cursor)); // shared system cursors: nothing to free
    POINT at;
    if (isOpen() && GetCursorPos(&at) && WindowFromPoint(at) == d.window) SetCursor(d.cursor);
}

void CFrameWin32::takeKeyboardFocus() {
    Impl& d = *m_impl;
    if (!isOpen()) return;
    d.takeFocus();
    d.keyboardTaken = true;
}

void CFrameWin32::releaseKeyboardFocus() {
    Impl& d = *m_impl;
    if (!d.keyboardTaken) return;
    d.keyboardTaken = false;
    d.giveFocusBack();
}

bool CFrameWin32::showPopupMenu(COptionMenu* menu, const CPoint& where) {
    Impl& d = *m_impl;
    if (!isOpen() || !menu || menu->getNbEntries() == 0) return false;
    d.popup.reset(); // a new popup replaces one still open
    POINT at{static_cast<LONG>(where.x), static_cast<LONG>(where.y)};
    ClientToScreen(d.window, &at);
    // A menu that shows its choice is at least as wide as the control and, when it has to open above,
    // leaves the control visible; a context menu opens at the pointer and takes the width its entries
    // need.
    const bool contextMenu = menu->isTypeOf("Mirda_ContextMenu");
    const double minWidth = contextMenu ? 0 : menu->getViewSize().width();
    const double controlTop =
        contextMenu ? at.y : at.y - (where.y - menu->parentToFrame(menu->getViewSize()).top);
    d.popup = std::make_unique<CWin32PopupMenu>(d.window, menu, CPoint(at.x, at.y), controlTop, minWidth);
    // The press that opened the menu holds the capture already; the menu keeps it until it closes.
    d.takeFocus();
    d.focusForPopup = true;
    SetCapture(d.window);
    d.captured = false;
    d.popup->update(CTimerService::instance().now());
    return true;
}

const CPopupMenuSession* CFrameWin32::popupSession() const {
    return m_impl->popup ? &m_impl->popup->session() : nullptr;
}

} // namespace Mirda
