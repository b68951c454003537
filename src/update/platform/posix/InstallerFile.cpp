#include "update/InstallerFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Pellu {

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

std::string InstallerFile::commit() {
    if (!file_) return {};
    const bool flushed = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) return {};
    for (int number = 1; number <= kMaxInstallerNameAttempts; ++number) {
        const std::string path = folder_ + numberedFileName(name_, number);
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
