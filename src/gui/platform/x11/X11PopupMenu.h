#pragma once
// A popup menu on X11: one override-redirect window per open pane of a CPopupMenuSession, painted by
// Mirda into its own buffer, with the pointer and keyboard grabbed while it is open. It shares the
// editor's Display connection, so the editor's event pump drives it.

#include "gui/Geometry.h"
#include "gui/PopupMenu.h"

#include <cstdint>
#include <memory>

struct _XDisplay;
union _XEvent;

namespace Mirda {

class COptionMenu;
struct CX11Visual;

class CX11PopupMenu : public CNativePopupMenu {
public:
    // Opens `menu` with its top-left at `rootAnchor` (root-window coordinates) on the screen of `display`,
    // or with its bottom at `flipBottom` when it does not fit below; its windows use `visual`.
    CX11PopupMenu(_XDisplay* display, const CX11Visual& visual, COptionMenu* menu, const CPoint& rootAnchor,
                  double flipBottom, double minWidth);
    ~CX11PopupMenu();
    CX11PopupMenu(const CX11PopupMenu&) = delete;
    CX11PopupMenu& operator=(const CX11PopupMenu&) = delete;

    // Takes the event when it belongs to the popup: every pointer and key event while the popup is open
    // (wherever it happened), and the exposures of its own windows.
    bool handle(_XEvent& event);
    // Auto-scrolls, follows the session's panes with windows and repaints what changed.
    void update(uint64_t nowMs);

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace Mirda
