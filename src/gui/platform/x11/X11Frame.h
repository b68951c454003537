#pragma once
// The X11 platform frame: a child window inside the host's window (or a top-level window when there is
// no parent), with its own Display connection used only from the GUI thread. The editor's idle call
// drives everything: pump() translates pending X events into frame calls, runs the timer service and
// repaints the dirty areas from the offscreen buffer.

#include "gui/PlatformWindow.h"

#include <cstdint>
#include <memory>

namespace Mirda {

class CPopupMenuSession;

class CFrameX11 : public IPlatformWindow {
public:
    // Opens the window for `frame` inside `parentWindow` (0: a top-level window). Check isOpen().
    CFrameX11(CFrame* frame, unsigned long parentWindow, const char* title = nullptr);

    bool isOpen() const override;
    void pump() override;
    bool closeRequested() const override;

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
