#include "kavren/Info.h"

#include "kavren/ParameterSettings.h"
#include "vsthost/VstPluginHost.h"

#include <cstdio>
#include <string>

namespace kavren {

namespace {

std::string fourCharText(int32_t id) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = char((uint32_t(id) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

std::string versionText(intptr_t version) {
    return std::to_string((version >> 16) & 0xFF) + "." + std::to_string((version >> 8) & 0xFF) + "." +
           std::to_string(version & 0xFF);
}

} // namespace

void printPluginInfo(const std::string& pluginPath, std::ostream& out) {
    host::VstPluginHost plugin(pluginPath);
    plugin.start(44100.0f, 512);
    vst2::AEffect* e = plugin.effect();
    out << "Plug-in      " << plugin.text(vst2::effGetEffectName) << "\n"
        << "Vendor       " << plugin.text(vst2::effGetVendorString) << "\n"
        << "Product      " << plugin.text(vst2::effGetProductString) << "\n"
        << "Version      " << versionText(plugin.dispatch(vst2::effGetVendorVersion)) << "\n"
        << "Unique ID    '" << fourCharText(e->uniqueID) << "' (" << e->uniqueID << ")\n"
        << "Library      " << pluginPath << "\n"
        << "Inputs       " << e->numInputs << "\n"
        << "Outputs      " << e->numOutputs << "\n"
        << "Latency      " << e->initialDelay << " samples\n"
        << "Programs     " << e->numPrograms << "\n"
        << "Editor       " << ((e->flags & vst2::effFlagsHasEditor) ? "yes" : "no") << "\n"
        << "Parameters   " << e->numParams << "\n\n";

    std::vector<ParameterRow> keys = hostParameterKeys();
    char line[256];
    std::snprintf(line, sizeof(line), "%5s  %-22s %-24s %-6s %-14s %s\n", "Index", "Key", "Name", "Label",
                  "Display", "Normalised");
    out << line;
    for (int32_t i = 0; i < e->numParams; ++i) {
        std::string key = i < int32_t(keys.size()) ? keys[size_t(i)].key : "?";
        std::snprintf(line, sizeof(line), "%5d  %-22s %-24s %-6s %-14s %.6f\n", i, key.c_str(),
                      plugin.parameterName(i).c_str(), plugin.parameterLabel(i).c_str(),
                      plugin.parameterDisplay(i).c_str(), double(plugin.getParameter(i)));
        out << line;
    }
}

} // namespace kavren
