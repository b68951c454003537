#include "core/FileSystem.h"

#include "core/Paths.h"
#include "core/platform/BoundedRead.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Core {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool failWith(int error) {
    errno = error;
    return false;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        if (written == 0) return failWith(EIO);
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// A device, FIFO or pipe cannot be replaced by a new file without losing what it is: its reader gets the
// bytes instead. A FIFO without a reader is refused (ENXIO) rather than waited for.
bool writeThrough(const std::string& path, const void* data, std::size_t size) {
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (file.get() < 0 || fstat(file.get(), &info) != 0) return false;
    // Swapped for a plain file or a folder since it was looked at: writing into it would leave a mix.
    if (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) return failWith(EAGAIN);
    const int flags = fcntl(file.get(), F_GETFL);
    if (flags < 0 || fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return false;
    if (!writeAll(file.get(), static_cast<const std::uint8_t*>(data), size)) return false;
    if (fsync(file.get()) != 0 && errno != EINVAL && errno != EROFS) return false;
    return file.close();
}

template <typename Container>
bool readBounded(const std::string& path, std::size_t maxBytes, Container& contents) {
    // O_NONBLOCK: a FIFO or device opens without waiting for a writer; the type is checked on what was
    // opened, so a file swapped for a FIFO after any earlier check is refused all the same.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (file.get() < 0 || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    return readAllBounded(maxBytes, contents, [&file](void* destination, std::size_t size) {
        for (;;) {
            const ssize_t got = ::read(file.get(), destination, size);
            if (got >= 0 || errno != EINTR) return got;
        }
    });
}

} // namespace

int lastFileError() {
    return errno;
}

std::string fileErrorText(int error) {
    return error ? std::strerror(error) : "unknown error";
}

bool createFolders(const std::string& folder) {
    if (folder.empty()) return failWith(EINVAL);
    // The reason is the first folder that could not be made: the deeper ones fail only for want of it.
    int error = 0;
    std::string partial;
    size_t position = 0;
    while (position != std::string::npos) {
        position = folder.find('/', position + 1);
        partial = folder.substr(0, position);
        if (partial.empty()) continue;
        if (::mkdir(partial.c_str(), 0755) == 0 || errno == EEXIST)
            error = 0;
        else if (!error)
            error = errno;
    }
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
    return failWith(error ? error : ENOTDIR);
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool folderExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool removeFile(const std::string& path) {
    return !path.empty() && ::unlink(path.c_str()) == 0;
}

bool readFileBounded(const std::string& path, std::size_t maxBytes, std::string& contents) {
    return readBounded(path, maxBytes, contents);
}

bool readFileBounded(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& contents) {
    return readBounded(path, maxBytes, contents);
}

bool isSameFile(const std::string& a, const std::string& b) {
    struct stat infoA {
    }, infoB{};
    return stat(a.c_str(), &infoA) == 0 && stat(b.c_str(), &infoB) == 0 && infoA.st_dev == infoB.st_dev &&
           infoA.st_ino == infoB.st_ino;
}

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size, Durability durability) {
    if (path.empty() || path.back() == '/' || (!data && size > 0)) return failWith(EINVAL);
    if (struct stat info{}; stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? failWith(EISDIR) : writeThrough(path, data, size);
    std::string temporary = path + ".tmp-XXXXXX";
    FileDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) return false;
    const bool written = fchmod(file.get(), 0644) == 0 &&
                         writeAll(file.get(), static_cast<const std::uint8_t*>(data), size) &&
                         (durability == Durability::kRecreatable || fsync(file.get()) == 0) && file.close() &&
                         std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) {
        const int error = errno;
        file.close();
        ::unlink(temporary.c_str());
        return failWith(error);
    }
    return true;
}

} // namespace Core
