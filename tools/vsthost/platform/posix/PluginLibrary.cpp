#include "vsthost/platform/PluginLibrary.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

namespace kavren::host {

const char* const kPluginFileName = "kavren-xl.so";

void* loadPluginLibrary(const std::string& path, std::string& error) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) error = dlerror();
    return library;
}

void* findLibraryEntry(void* library, const char* name) {
    return dlsym(library, name);
}

void unloadPluginLibrary(void* library) {
    dlclose(library);
}

std::string executablePath() {
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    return n > 0 ? std::string(self, size_t(n)) : std::string();
}

std::string userPluginFolder() {
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.vst";
}

} // namespace kavren::host
