// Special folders after the XDG base-directory and user-dirs conventions.
#include "core/SpecialFolders.h"

#include "core/FileSystem.h"
#include "core/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Core {
namespace {

bool isFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string configHome(const std::string& home) {
    const std::string configured = folderVariable("XDG_CONFIG_HOME");
    return !configured.empty() && configured[0] == '/' ? configured : home + "/.config";
}

/**
 * Reads `XDG_<NAME>_DIR="..."` from user-dirs.dirs. Values are "$HOME/relative" or absolute; a value of
 * "$HOME" alone marks the folder as disabled, which the caller treats as not configured.
 */
std::string userDir(const std::string& home, const std::string& variable) {
    std::string text;
    if (!readFileBounded(configHome(home) + "/user-dirs.dirs", 64 * 1024, text)) return {};
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        std::string line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        line.erase(0, first);
        if (line.compare(0, variable.size() + 1, variable + "=") != 0) continue;
        std::string value = line.substr(variable.size() + 1);
        if (value.size() < 2 || value.front() != '"') return {};
        const size_t closing = value.find('"', 1);
        if (closing == std::string::npos) return {};
        value = value.substr(1, closing - 1);
        if (value.compare(0, 5, "$HOME") == 0) {
            const std::string rest = value.substr(5);
            if (rest.empty() || rest == "/") return {};
            if (rest[0] != '/') return {};
            return home + rest;
        }
        return value.size() > 1 && value[0] == '/' ? value : std::string();
    }
    return {};
}

std::string dataHome(const std::string& home) {
    const std::string configured = folderVariable("XDG_DATA_HOME");
    return !configured.empty() && configured[0] == '/' ? configured : home + "/.local/share";
}

std::string folderOfKind(int kind, const std::string& home) {
    switch (kind) {
    case kFolderDesktop: {
        const std::string configured = userDir(home, "XDG_DESKTOP_DIR");
        if (!configured.empty()) return configured;
        return isFolder(home + "/Desktop") ? home + "/Desktop" : home;
    }
    case kFolderSharedDocuments: {
        const std::string configured = userDir(home, "XDG_DOCUMENTS_DIR");
        return configured.empty() ? home + "/Documents" : configured;
    }
    case kFolderUserData:
    case kFolderSharedData:
        return dataHome(home);
    default:
        return {};
    }
}

} // namespace

std::string homeFolder() {
    if (!redirectedHomeFolder().empty()) return redirectedHomeFolder();
    const std::string home = folderVariable("HOME");
    if (!home.empty()) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return {};
}

std::string specialFolderPath(int kind, const char* subfolder) {
    const std::string home = homeFolder();
    if (home.empty()) return {};
    std::string path = folderOfKind(kind, home);
    if (path.empty()) return {};
    path = withTrailingSlash(path);
    if (subfolder) path += subfolder;
    return path;
}

} // namespace Core
