#include "core/Paths.h"

#include <algorithm>
#include <cctype>

namespace Core {

namespace {

// Both separators count on every system: a path from a Windows host or preset list splits the same way.
constexpr const char* kSeparators = "/\\";

std::string lastComponent(const std::string& path) {
    const auto slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

void toForwardSlashes(std::string& path) {
    std::replace(path.begin(), path.end(), '\\', '/');
}

void toForwardSlashes(char* path) {
    for (; path && *path; ++path)
        if (*path == '\\') *path = '/';
}

std::string toNativeSeparators(std::string path) {
    return path;
}

std::string withTrailingSlash(std::string path) {
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    return path;
}

std::string fileStem(const std::string& path) {
    const std::string name = lastComponent(path);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string folderPart(const std::string& path) {
    const auto slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string fileExtension(const std::string& path) {
    const std::string name = lastComponent(path);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace Core
