#include "vsthost/platform/PluginLibrary.h"

#include "core/FileSystem.h"
#include "core/platform/win32/ModulePath.h"
#include "core/platform/win32/WideText.h"

#include <cstdlib>
#include <windows.h>

namespace kavren::host {

const char* const kPluginFileName = "kavren-xl.dll";

void* loadPluginLibrary(const std::string& path, std::string& error) {
    HMODULE library = LoadLibraryW(Core::widened(path).c_str());
    if (!library) error = Core::fileErrorText(Core::lastFileError());
    return library;
}

void* findLibraryEntry(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void unloadPluginLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

std::string executablePath() {
    return Core::modulePath(nullptr);
}

std::string userPluginFolder() {
    const wchar_t* common = _wgetenv(L"CommonProgramFiles");
    return (common ? Core::narrowed(common) : std::string("C:\\Program Files\\Common Files")) + "\\VST2";
}

} // namespace kavren::host
