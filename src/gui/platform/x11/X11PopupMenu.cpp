#include "gui/platform/x11/X11PopupMenu.h"

#include "gui/DrawContext.h"
#include "gui/OptionMenu.h"
#include "gui/platform/x11/X11Keys.h"
#include "gui/platform/x11/X11Motion.h"
#include "gui/platform/x11/X11Surface.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

namespace Mirda {

struct CX11PopupMenu::Impl {
    struct PaneWindow {
        Window window = 0;
        COptionMenu* menu = nullptr;
        CRect rect;
        std::unique_ptr<CX11Surface> surface;
    };

    Display* display = nullptr;
    CX11Visual visual;
    std::vector<std::unique_ptr<PaneWindow>> panes;
    bool pointerGrabbed = false;
    bool keyboardGrabbed = false;
    bool repaint = true;

    std::unique_ptr<PaneWindow> createPane(const CPopupMenuSession::Pane& pane);
    void destroyPane(PaneWindow& pane);
    void follow(const CPopupMenuSession& session);
    void paint(const CPopupMenuSession& session);
    void grab();
    bool ownsWindow(Window window) const;
};

std::unique_ptr<CX11PopupMenu::Impl::PaneWindow>
CX11PopupMenu::Impl::createPane(const CPopupMenuSession::Pane& pane) {
    auto p = std::make_unique<PaneWindow>();
    p->menu = pane.menu;
    p->rect = pane.rect;
    const int screen = DefaultScreen(display);
    const auto width = static_cast<unsigned>(pane.rect.width());
    const auto height = static_cast<unsigned>(pane.rect.height());
    XSetWindowAttributes attributes{};
    // Menus sit above everything without the window manager's involvement.
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | KeyReleaseMask;
    p->window = XCreateWindow(
        display, RootWindow(display, screen), static_cast<int>(pane.rect.left),
        static_cast<int>(pane.rect.top), width, height, 0, visual.depth, InputOutput, visual.visual,
        CWOverrideRedirect | CWSaveUnder | CWEventMask | visual.apply(attributes), &attributes);
    const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom popupType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
    XChangeProperty(display, p->window, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&popupType), 1);
    p->surface = std::make_unique<CX11Surface>(display, p->window, visual);
    p->surface->resize(static_cast<int>(width), static_cast<int>(height));
    XMapRaised(display, p->window);
    return p;
}

void CX11PopupMenu::Impl::destroyPane(PaneWindow& pane) {
    pane.surface.reset();
    if (pane.window) XDestroyWindow(display, pane.window);
    pane.window = 0;
}

void CX11PopupMenu::Impl::follow(const CPopupMenuSession& session) {
    // Windows stay as long as their pane shows the same menu in the same place; scrolling and the
    // highlight only need a repaint.
    const size_t keep = session.unchangedPanes(panes);
    for (size_t i = keep; i < panes.size(); ++i) destroyPane(*panes[i]);
    panes.resize(keep);
    for (size_t i = keep; i < session.paneCount(); ++i) panes.push_back(createPane(session.pane(i)));
    repaint = true;
}

void CX11PopupMenu::Impl::paint(const CPopupMenuSession& session) {
    for (size_t i = 0; i < panes.size(); ++i) {
        PaneWindow& pane = *panes[i];
        auto* context = new CDrawContext(pane.surface->buffer());
        session.drawPane(i, context);
        context->release();
        pane.surface->put(0, 0, static_cast<int>(pane.rect.width()), static_cast<int>(pane.rect.height()));
    }
    repaint = false;
}

void CX11PopupMenu::Impl::grab() {
    // The grabs fail while another client holds one (or before the first window is viewable); the next
    // update tries again. Until then the menu still works through its own windows.
    if (panes.empty()) return;
    const Window owner = panes.front()->window;
    if (!pointerGrabbed)
        pointerGrabbed =
            XGrabPointer(display, owner, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                         GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    if (!keyboardGrabbed)
        keyboardGrabbed =
            XGrabKeyboard(display, owner, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
}

bool CX11PopupMenu::Impl::ownsWindow(Window window) const {
    for (const auto& pane : panes)
        if (pane->window == window) return true;
    return false;
}

CX11PopupMenu::CX11PopupMenu(Display* display, const CX11Visual& visual, COptionMenu* menu,
                             const CPoint& rootAnchor, double flipBottom, double minWidth)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->display = display;
    m_impl->visual = visual;
    const int screen = DefaultScreen(display);
    const CRect screenRect(0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen));
    m_session =
        std::make_unique<CPopupMenuSession>(menu, rootAnchor, screenRect, minWidth, nullptr, flipBottom);
}

CX11PopupMenu::~CX11PopupMenu() {
    Impl& d = *m_impl;
    if (d.pointerGrabbed) XUngrabPointer(d.display, CurrentTime);
    if (d.keyboardGrabbed) XUngrabKeyboard(d.display, CurrentTime);
    for (auto& pane : d.panes) d.destroyPane(*pane);
    XFlush(d.display);
}

bool CX11PopupMenu::handle(XEvent& event) {
    Impl& d = *m_impl;
    if (!m_session || m_session->isFinished()) return false;
    switch (event.type) {
    case Expose:
        if (!d.ownsWindow(event.xexpose.window)) return false;
        d.repaint = true;
        return true;
    case ButtonPress: {
        const CPoint where(event.xbutton.x_root, event.xbutton.y_root);
        if (event.xbutton.button == 4 || event.xbutton.button == 5)
            m_session->wheel(where, event.xbutton.button == 4 ? 1.0f : -1.0f);
        else if (event.xbutton.button <= 3)
            m_session->mouseDown(where);
        return true;
    }
    case ButtonRelease:
        if (event.xbutton.button <= 3) m_session->mouseUp(CPoint(event.xbutton.x_root, event.xbutton.y_root));
        return true;
    case MotionNotify: {
        XEvent latest = event;
        takeLatestMotion(d.display, latest);
        m_session->mouseMoved(CPoint(latest.xmotion.x_root, latest.xmotion.y_root));
        return true;
    }
    case KeyPress: {
        VstKeyCode key;
        if (keyCodeFromEvent(event, key)) m_session->key(key);
        return true;
    }
    case KeyRelease:
        return true;
    default:
        return false;
    }
}

void CX11PopupMenu::update(uint64_t nowMs) {
    Impl& d = *m_impl;
    if (!m_session || m_session->isFinished()) return;
    m_session->tick(nowMs);
    if (m_session->takeChanged()) d.follow(*m_session);
    if (d.repaint) d.paint(*m_session);
    d.grab();
    XFlush(d.display);
}

} // namespace Mirda
