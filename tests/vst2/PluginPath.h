#pragma once

// The plug-in under test, as built by this tree.
inline const char* pluginPath() {
    return KAVREN_PLUGIN_PATH;
}
