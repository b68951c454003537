#include "update/InstallerFile.h"

#include "core/Paths.h"

#include <cctype>
#include <string>

namespace Pellu {
namespace {

constexpr std::size_t kMaxNameBytes = 100;

} // namespace

std::string numberedFileName(const std::string& name, int number) {
    if (number == 1) return name;
    const std::size_t dot = name.rfind('.');
    const std::string suffix = " (" + std::to_string(number) + ")";
    return dot == std::string::npos || dot == 0 ? name + suffix
                                                : name.substr(0, dot) + suffix + name.substr(dot);
}

std::string sanitizedFileName(std::string_view urlPath, std::string_view fallback) {
    urlPath = urlPath.substr(0, urlPath.find_first_of("?#"));
    if (const std::size_t slash = urlPath.rfind('/'); slash != std::string_view::npos)
        urlPath.remove_prefix(slash + 1);
    std::string name;
    for (std::size_t i = 0; i < urlPath.size() && name.size() < kMaxNameBytes; ++i) {
        char c = urlPath[i];
        if (c == '%' && i + 2 < urlPath.size() && std::isxdigit(static_cast<unsigned char>(urlPath[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(urlPath[i + 2]))) {
            c = static_cast<char>(std::stoi(std::string(urlPath.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        }
        if (name.empty() && (c == '.' || c == ' ')) continue;
        const bool plain =
            std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' || c == ' ';
        name += plain ? c : '_';
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name.empty() ? std::string(fallback) : name;
}

InstallerFile::InstallerFile(std::string folder, std::string name, Progress progress)
    : folder_(Core::withTrailingSlash(std::move(folder))), name_(std::move(name)),
      progress_(std::move(progress)) {}

bool InstallerFile::write(const char* data, std::size_t size) {
    return std::fwrite(data, 1, size, file_) == size;
}

void InstallerFile::progress(std::uint64_t received, std::uint64_t total) {
    if (progress_) progress_(received, total);
}

} // namespace Pellu
