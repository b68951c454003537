// The host window of `kavren.exe edit` on Windows: a top-level window whose client area has the editor's
// size, and the message loop a host runs on its GUI thread.
#include "kavren/HostWindow.h"

#include "core/platform/win32/WideText.h"

#include <windows.h>

namespace kavren {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 1); // asked to close; the loop ends the editor first
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The window's outer size for a client area of `width` x `height`.
SIZE outerSize(int width, int height) {
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, kStyle, FALSE, 0);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

class Win32HostWindow : public HostWindow {
public:
    explicit Win32HostWindow(HWND window) : window_(window) {}
    ~Win32HostWindow() override { DestroyWindow(window_); }

    void* handle() const override { return window_; }

    void resize(int width, int height) override {
        const SIZE outer = outerSize(width, height);
        SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    bool pump() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return GetWindowLongPtrW(window_, GWLP_USERDATA) == 0;
    }

private:
    HWND window_;
};

} // namespace

std::unique_ptr<HostWindow> HostWindow::open(const std::string& title, int width, int height) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = hostWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = L"KavrenEditorHost";
    RegisterClassExW(&windowClass); // fails harmlessly when a previous window registered it
    const SIZE outer = outerSize(width, height);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, Core::widened(title).c_str(),
                                  kStyle | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    return std::make_unique<Win32HostWindow>(window);
}

} // namespace kavren
