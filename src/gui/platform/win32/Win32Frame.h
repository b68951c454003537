#pragma once
// The Win32 platform frame: a child window inside the host's window (or a top-level window when there is
// no parent), painted from a DIB section with the dirty areas only. The host's message loop brings the
// input; the editor's idle, and the window's own timer for hosts that idle seldom, run the timer service
// and repaint.

#include "gui/PlatformWindow.h"

#include <memory>

namespace Mirda {

class CFrame;
class CPopupMenuSession;

class CFrameWin32 : public IPlatformWindow {
public:
    // Opens the window for `frame` inside `parent` (an HWND; null: a top-level window). Check isOpen().
    CFrameWin32(CFrame* frame, void* parent, const char* title = nullptr);

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
    ~CFrameWin32() override;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace Mirda
