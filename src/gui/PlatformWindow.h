#pragma once
// The native window a frame lives in, as the editor and the tools see it: opened through one factory
// whose only implementations live in the platform folders (X11 today), so shared code never names a
// window system. Native handles travel as void*: an X11 Window id or a Win32 HWND.

#include "gui/IFrame.h"

namespace Mirda {

class CFrame;

class IPlatformWindow : public IFrame {
public:
    // False as well once the window system is gone: calls then return at once and do nothing, and the
    // owner closes the window at its convenience.
    virtual bool isOpen() const = 0;
    // Handles pending events, runs due timers, repaints. Call from the editor's idle (GUI thread).
    virtual void pump() = 0;
    // True after the user asked a top-level window to close.
    virtual bool closeRequested() const = 0;

protected:
    ~IPlatformWindow() override = default;
};

// Opens the native window for `frame` inside `parent` (null: a top-level window titled `title`). Null
// when it cannot open; otherwise the caller owns one reference.
IPlatformWindow* openPlatformWindow(CFrame* frame, void* parent, const char* title = nullptr);

} // namespace Mirda
