#pragma once
// A popup menu on Windows: one popup window per open pane of a CPopupMenuSession, painted by Mirda from
// its own buffer, never activated (the host keeps its active window). The editor's window holds the
// mouse capture and the keyboard focus while the menu is open and hands the input over in screen
// coordinates, so a click anywhere else ends the menu as a system menu would.

#include "gui/Geometry.h"
#include "gui/KeyCodes.h"
#include "gui/PopupMenu.h"

#include <windows.h>

#include <cstdint>
#include <memory>

namespace Mirda {

class COptionMenu;

class CWin32PopupMenu : public CNativePopupMenu {
public:
    // Opens `menu` with its top-left at `screenAnchor`, or with its bottom at `flipBottom` when it does
    // not fit below; its windows belong to `owner` (the editor's window).
    CWin32PopupMenu(HWND owner, COptionMenu* menu, const CPoint& screenAnchor, double flipBottom,
                    double minWidth);
    ~CWin32PopupMenu();
    CWin32PopupMenu(const CWin32PopupMenu&) = delete;
    CWin32PopupMenu& operator=(const CWin32PopupMenu&) = delete;

    // Input taken from the owner's window; points in screen coordinates.
    void mouseMoved(const CPoint& where);
    void mouseDown(const CPoint& where);
    void mouseUp(const CPoint& where);
    void wheel(const CPoint& where, float distance);
    void key(const VstKeyCode& key);
    void dismiss();
    // Auto-scrolls, follows the session's panes with windows and repaints what changed.
    void update(uint64_t nowMs);

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace Mirda
