#include "core/platform/win32/ModulePath.h"

#include "core/platform/win32/WideText.h"

#include <windows.h>

namespace Core {

std::string modulePath(void* module) {
    // Paths may be longer than MAX_PATH; a full buffer means the name was cut, so try a larger one.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(static_cast<HMODULE>(module), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return narrowed(path.c_str(), static_cast<int>(length));
        path.resize(path.size() * 2);
    }
}

} // namespace Core
