#include "gui/platform/win32/Win32WindowClass.h"

#include <cstdint>
#include <cwchar>
#include <map>
#include <mutex>

namespace Mirda {
namespace {

std::mutex& registryLock() {
    static std::mutex lock;
    return lock;
}

// Holders per class name.
std::map<std::wstring, int>& holders() {
    static std::map<std::wstring, int> counts;
    return counts;
}

} // namespace

HINSTANCE CWin32WindowClass::module() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CWin32WindowClass::module), &self);
    return self;
}

CWin32WindowClass::CWin32WindowClass(const wchar_t* role, WNDPROC procedure, UINT style) {
    wchar_t name[96];
    std::swprintf(name, 96, L"Mirda%ls%llX", role,
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(module())));
    m_name = name;
    std::lock_guard guard(registryLock());
    if (holders()[m_name]++ > 0) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = m_name.c_str();
    RegisterClassExW(&windowClass);
}

CWin32WindowClass::~CWin32WindowClass() {
    std::lock_guard guard(registryLock());
    if (--holders()[m_name] > 0) return;
    holders().erase(m_name);
    UnregisterClassW(m_name.c_str(), module());
}

} // namespace Mirda
