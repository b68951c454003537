#include "gui/ScreenScale.h"

#include "gui/platform/win32/Win32Dpi.h"

namespace Mirda {

double screenDpi(void* nativeWindow) {
    // The editor's window takes the awareness of the host's: the resolution of the host's window as it sees
    // it (96 in hosts that let Windows stretch them) is the one to draw for.
    if (const UINT dpi = windowDpi(static_cast<HWND>(nativeWindow))) return dpi;
    // Without a window: the system's resolution (GetDpiForSystem from Windows 10 on, the device caps before).
    using GetDpiForSystemFunction = UINT(WINAPI*)();
    static const auto getDpiForSystem = reinterpret_cast<GetDpiForSystemFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")));
    if (getDpiForSystem) return getDpiForSystem();
    HDC screen = GetDC(nullptr);
    if (!screen) return 0;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace Mirda
