// The editor commands in a build without the editor: each one says so.
#include "kavren/Editor.h"

#include <stdexcept>

namespace kavren {
namespace {

[[noreturn]] void unavailable() {
    throw std::runtime_error("this build of kavren has no editor");
}

} // namespace

void setEditorScale(host::VstPluginHost&, double) {
    unavailable();
}

void writeEditorSnapshot(host::VstPluginHost&, const std::string&) {
    unavailable();
}

void playIntoEditor(host::VstPluginHost&, const Audio&) {
    unavailable();
}

void clickEditor(host::VstPluginHost&, double, double, double) {
    unavailable();
}

void runEditorWindow(host::VstPluginHost&, const std::string&) {
    unavailable();
}

} // namespace kavren
