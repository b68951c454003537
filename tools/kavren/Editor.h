// The plug-in's editor seen from the command line, through the plug-in's own ABI as a host sees it.
#pragma once

#include "vsthost/VstPluginHost.h"

#include <string>

namespace kavren {

// Asks the editor for a fixed scale (1, 1.5 or 2); 0 leaves the choice to the editor.
void setEditorScale(host::VstPluginHost& plugin, double scale);
// Writes what the editor shows as a PNG, without a window system. Throws std::runtime_error.
void writeEditorSnapshot(host::VstPluginHost& plugin, const std::string& path);
// Opens the editor in a top-level window of its own and idles it until the window is closed.
// Throws std::runtime_error when there is no X display or the editor does not open.
void runEditorWindow(host::VstPluginHost& plugin, const std::string& title);

} // namespace kavren
