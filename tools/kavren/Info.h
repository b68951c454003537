#pragma once

#include <ostream>
#include <string>

namespace kavren {

// Describes the plug-in as a host sees it: identity, I/O, latency and every host parameter.
void printPluginInfo(const std::string& pluginPath, std::ostream& out);

} // namespace kavren
