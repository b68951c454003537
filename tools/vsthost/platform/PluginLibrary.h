#pragma once
// Loading a plug-in library and finding the tool's own file: dlopen on Linux, LoadLibraryW on Windows.

#include <string>

namespace kavren::host {

/** The plug-in library's file name on this system. */
extern const char* const kPluginFileName;

/** Loads the library the way a host does; nullptr when it cannot, with the reason in `error`. */
void* loadPluginLibrary(const std::string& path, std::string& error);
/** The address of an exported function; nullptr when the library has none of that name. */
void* findLibraryEntry(void* library, const char* name);
void unloadPluginLibrary(void* library);

/** The running program's own file; empty when the system does not say. */
std::string executablePath();
/** Where the user's hosts look for plug-ins when nothing else is known. */
std::string userPluginFolder();

} // namespace kavren::host
