#pragma once
// The X11 platform frame: a child window inside the host's window (or a top-level window when there is
// no parent), with its own Display connection used only from the GUI thread. The editor's idle call
// drives everything: pump() translates pending X events into frame calls, runs the timer service and
// repaints the dirty areas from the offscreen buffer.

#include "gui/IFrame.h"

#include <cstdint>
#include <memory>

namespace Mirda {

class CFrame;
class CPopupMenuSession;

class CFrameX11 : public IFrame {
public:
    // Opens the window for `frame` inside `parentWindow` (0: a top-level window). Check isOpen().
    CFrameX11(CFrame* frame, unsigned long parentWindow, const char* title = nullptr);

    // False as well once the X server is gone: calls on a lost connection return at once and do nothing,
    // and the owner closes the frame at its convenience.
    bool isOpen() const;
    // Handles pending events, runs due timers, repaints. Call from the editor's idle (GUI thread).
    void pump();
    // True after the window manager asked a top-level window to close.
    bool closeRequested() const;

    void invalidRect(const CRect& rect) override;
    void idle() override;
    bool setSize(double width, double height) override;
    CPixelBuffer getBackBuffer() override;
    void setCursor(CursorType cursor) override;
    void takeKeyboardFocus() override;
    void releaseKeyboardFocus() override;
    bool showPopupMenu(COptionMenu* menu, const CPoint& where) override;
    void* getPlatformHandle() const override;
    // The open popup menu, null when none is open.
    const CPopupMenuSession* popupSession() const;

    struct Impl;

protected:
    ~CFrameX11() override;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace Mirda
