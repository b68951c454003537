#include "gui/platform/win32/Win32PopupMenu.h"

#include "gui/DrawContext.h"
#include "gui/OptionMenu.h"
#include "gui/platform/win32/Win32Dpi.h"
#include "gui/platform/win32/Win32Surface.h"
#include "gui/platform/win32/Win32WindowClass.h"

#include <vector>

namespace Mirda {

struct CWin32PopupMenu::Impl {
    struct PaneWindow {
        HWND window = nullptr;
        COptionMenu* menu = nullptr;
        CRect rect;
        CWin32Surface surface;
    };

    static LRESULT CALLBACK paneProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND owner = nullptr;
    CWin32WindowClass windowClass{L"Menu", paneProcedure, CS_DROPSHADOW};
    std::vector<std::unique_ptr<PaneWindow>> panes;
    bool repaint = true;

    std::unique_ptr<PaneWindow> createPane(const CPopupMenuSession::Pane& pane);
    void follow(const CPopupMenuSession& session);
    void paint(const CPopupMenuSession& session);
};

LRESULT CALLBACK CWin32PopupMenu::Impl::paneProcedure(HWND window, UINT message, WPARAM wParam,
                                                      LPARAM lParam) {
    auto* pane = reinterpret_cast<PaneWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (pane)
            pane->surface.put(dc, paint.rcPaint.left, paint.rcPaint.top,
                              paint.rcPaint.right - paint.rcPaint.left,
                              paint.rcPaint.bottom - paint.rcPaint.top);
        EndPaint(window, &paint);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::unique_ptr<CWin32PopupMenu::Impl::PaneWindow>
CWin32PopupMenu::Impl::createPane(const CPopupMenuSession::Pane& pane) {
    auto p = std::make_unique<PaneWindow>();
    p->menu = pane.menu;
    p->rect = pane.rect;
    const int width = static_cast<int>(pane.rect.width()), height = static_cast<int>(pane.rect.height());
    p->surface.resize(width, height);
    CDpiAwarenessScope awareness(owner);
    p->window =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, windowClass.name(), L"",
                        WS_POPUP, static_cast<int>(pane.rect.left), static_cast<int>(pane.rect.top), width,
                        height, GetAncestor(owner, GA_ROOT), nullptr, CWin32WindowClass::module(), p.get());
    return p;
}

void CWin32PopupMenu::Impl::follow(const CPopupMenuSession& session) {
    // Windows stay as long as their pane shows the same menu in the same place; scrolling and the
    // highlight only need a repaint.
    const size_t keep = session.unchangedPanes(panes);
    for (size_t i = keep; i < panes.size(); ++i)
        if (panes[i]->window) DestroyWindow(panes[i]->window);
    panes.resize(keep);
    for (size_t i = keep; i < session.paneCount(); ++i) panes.push_back(createPane(session.pane(i)));
    repaint = true;
}

void CWin32PopupMenu::Impl::paint(const CPopupMenuSession& session) {
    for (size_t i = 0; i < panes.size(); ++i) {
        PaneWindow& pane = *panes[i];
        if (!pane.surface.buffer().isValid()) continue;
        auto* context = new CDrawContext(pane.surface.buffer());
        session.drawPane(i, context);
        context->release();
        if (!pane.window) continue;
        if (!IsWindowVisible(pane.window)) ShowWindow(pane.window, SW_SHOWNOACTIVATE);
        if (HDC dc = GetDC(pane.window)) {
            pane.surface.put(dc, 0, 0, pane.surface.buffer().width, pane.surface.buffer().height);
            ReleaseDC(pane.window, dc);
        }
    }
    repaint = false;
}

CWin32PopupMenu::CWin32PopupMenu(HWND owner, COptionMenu* menu, const CPoint& screenAnchor, double flipBottom,
                                 double minWidth)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->owner = owner;
    // The menu stays on the screen (without the task bar) where it opens.
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const POINT at{static_cast<LONG>(screenAnchor.x), static_cast<LONG>(screenAnchor.y)};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
    const CRect screenRect(work.left, work.top, work.right, work.bottom);
    m_session =
        std::make_unique<CPopupMenuSession>(menu, screenAnchor, screenRect, minWidth, nullptr, flipBottom);
}

CWin32PopupMenu::~CWin32PopupMenu() {
    for (auto& pane : m_impl->panes)
        if (pane->window) DestroyWindow(pane->window);
}

void CWin32PopupMenu::mouseMoved(const CPoint& where) {
    if (!isFinished()) m_session->mouseMoved(where);
}
void CWin32PopupMenu::mouseDown(const CPoint& where) {
    if (!isFinished()) m_session->mouseDown(where);
}
void CWin32PopupMenu::mouseUp(const CPoint& where) {
    if (!isFinished()) m_session->mouseUp(where);
}
void CWin32PopupMenu::wheel(const CPoint& where, float distance) {
    if (!isFinished()) m_session->wheel(where, distance);
}
void CWin32PopupMenu::key(const VstKeyCode& key) {
    if (!isFinished()) m_session->key(key);
}
void CWin32PopupMenu::dismiss() {
    if (!isFinished()) m_session->dismiss();
}

void CWin32PopupMenu::update(uint64_t nowMs) {
    Impl& d = *m_impl;
    if (!m_session || m_session->isFinished()) return;
    m_session->tick(nowMs);
    if (m_session->takeChanged()) d.follow(*m_session);
    if (d.repaint) d.paint(*m_session);
}

} // namespace Mirda
