// The test hook that moves every folder at once; the same on every system.
#include "core/SpecialFolders.h"

#include <cstdlib>
#include <string_view>

namespace Core {
namespace {

std::string& redirectedHomeStorage() {
    static std::string root;
    return root;
}

} // namespace

const std::string& redirectedHomeFolder() {
    return redirectedHomeStorage();
}

void redirectHomeFolder(const std::string& root) {
    redirectedHomeStorage() = root;
}

std::string folderVariable(const char* name) {
    if (!redirectedHomeFolder().empty() && std::string_view(name).starts_with("XDG_")) return {};
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

} // namespace Core
