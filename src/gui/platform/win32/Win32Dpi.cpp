#include "gui/platform/win32/Win32Dpi.h"

namespace Mirda {
namespace {

template <typename Function> Function user32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetWindowDpiAwarenessContextFunction = void*(WINAPI*)(HWND);
using SetThreadDpiAwarenessContextFunction = void*(WINAPI*)(void*);

} // namespace

UINT windowDpi(HWND window) {
    static const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    return getDpiForWindow && window ? getDpiForWindow(window) : 0;
}

CDpiAwarenessScope::CDpiAwarenessScope(HWND like) {
    static const auto getContext =
        user32Function<GetWindowDpiAwarenessContextFunction>("GetWindowDpiAwarenessContext");
    static const auto setContext =
        user32Function<SetThreadDpiAwarenessContextFunction>("SetThreadDpiAwarenessContext");
    if (!getContext || !setContext || !like) return;
    if (void* context = getContext(like)) m_previous = setContext(context);
}

CDpiAwarenessScope::~CDpiAwarenessScope() {
    static const auto setContext =
        user32Function<SetThreadDpiAwarenessContextFunction>("SetThreadDpiAwarenessContext");
    if (m_previous && setContext) setContext(m_previous);
}

} // namespace Mirda
