#pragma once

#include <string>

namespace Core {

/** The file a loaded module (an HMODULE) was loaded from; nullptr names the program. Empty on failure. */
std::string modulePath(void* module);

} // namespace Core
