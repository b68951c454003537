// The plug-in's editor seen from the command line, through the plug-in's own ABI as a host sees it.
#pragma once

#include "kavren/AudioFile.h"
#include "vsthost/VstPluginHost.h"

#include <string>

namespace kavren {

// Asks the editor for a fixed scale (1, 1.5 or 2); 0 leaves the choice to the editor.
void setEditorScale(host::VstPluginHost& plugin, double scale);
// Writes what the editor shows as a PNG, without a window system. Throws std::runtime_error.
void writeEditorSnapshot(host::VstPluginHost& plugin, const std::string& path);
// Plays `input` through the plug-in while its editor's views stay alive offscreen and see an idle pass
// every 2048 frames, as in an open editor: the next snapshot shows curves, spectrum and meters in motion.
// The views stay until the plug-in goes.
void playIntoEditor(host::VstPluginHost& plugin, const Audio& input);
// A left click at (x, y) in editor pixels at 100 % on the views kept alive offscreen (kept from now on),
// followed by the idle passes that finish what the click started (a module window's opening).
void clickEditor(host::VstPluginHost& plugin, double x, double y, double scale);
// Opens the editor in a top-level window of its own and idles it until the window is closed.
// Throws std::runtime_error when there is no window system or the editor does not open.
void runEditorWindow(host::VstPluginHost& plugin, const std::string& title);

} // namespace kavren
