#pragma once
// Screen resolution per window. A plug-in cannot choose its host's DPI awareness: its windows are created
// in the awareness of the window they belong to (a child window must match its parent), and the scale
// follows the resolution Windows reports for them. The calls exist from Windows 10 on; before, every
// window is treated as unaware.

#include <windows.h>

namespace Mirda {

// The resolution Windows reports for `window` (96 for windows that are not DPI aware), 0 when unknown.
UINT windowDpi(HWND window);

// Makes the calling thread create windows in the DPI awareness of `like` while it lives.
class CDpiAwarenessScope {
public:
    explicit CDpiAwarenessScope(HWND like);
    ~CDpiAwarenessScope();
    CDpiAwarenessScope(const CDpiAwarenessScope&) = delete;
    CDpiAwarenessScope& operator=(const CDpiAwarenessScope&) = delete;

private:
    void* m_previous = nullptr;
};

} // namespace Mirda
