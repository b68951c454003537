#include "update/InstallerFile.h"

#include "core/Paths.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Pellu {
namespace {

constexpr std::size_t kMaxNameBytes = 100;
constexpr int kMaxNameAttempts = 100;

std::string numberedName(const std::string& name, int number) {
    if (number == 1) return name;
    const std::size_t dot = name.rfind('.');
    const std::string suffix = " (" + std::to_string(number) + ")";
    return dot == std::string::npos || dot == 0 ? name + suffix
                                                : name.substr(0, dot) + suffix + name.substr(dot);
}

} // namespace

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

InstallerFile::~InstallerFile() {
    if (file_) std::fclose(file_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool InstallerFile::open() {
    if (folder_.empty() || name_.empty() || file_) return false;
    std::string pattern = folder_ + "." + name_ + ".part-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return false;
    temporary_ = pattern;
    file_ = ::fdopen(fd, "wb");
    if (!file_) ::close(fd);
    return file_ && ::fchmod(fd, 0644) == 0;
}

bool InstallerFile::write(const char* data, std::size_t size) {
    return std::fwrite(data, 1, size, file_) == size;
}

void InstallerFile::progress(std::uint64_t received, std::uint64_t total) {
    if (progress_) progress_(received, total);
}

std::string InstallerFile::commit() {
    if (!file_) return {};
    const bool flushed = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) return {};
    for (int number = 1; number <= kMaxNameAttempts; ++number) {
        const std::string path = folder_ + numberedName(name_, number);
        if (::link(temporary_.c_str(), path.c_str()) == 0) return path; // link never replaces a file
        // Folders that cannot hold links (some removable media) take a rename that refuses to replace.
        if (errno == EPERM || errno == ENOTSUP) {
            if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
                temporary_.clear();
                return path;
            }
        }
        if (errno != EEXIST) return {};
    }
    return {};
}

} // namespace Pellu
