#include "core/FileSystem.h"

#include "core/platform/BoundedRead.h"
#include "core/platform/win32/WideText.h"

#include <algorithm>
#include <atomic>
#include <windows.h>

namespace Core {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || CloseHandle(handle);
    }

private:
    HANDLE handle_;
};

DWORD attributesOf(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(widened(path).c_str());
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

template <typename Container>
bool readBounded(const std::string& path, std::size_t maxBytes, Container& contents) {
    // Others may keep writing, replacing or deleting the file while it is read, as on Linux.
    FileHandle file(CreateFileW(widened(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    return readAllBounded(maxBytes, contents, [&file](void* destination, std::size_t size) -> long long {
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        return ReadFile(file.get(), destination, wanted, &got, nullptr) ? got : -1;
    });
}

bool writeAll(HANDLE file, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

bool createFolders(const std::string& folder) {
    if (folder.empty()) return false;
    // Every prefix that ends before a separator, then the whole path; "C:" and "\\server" fail harmlessly.
    for (std::size_t position = 1; position < folder.size(); ++position)
        if (isSeparator(folder[position]) && !isSeparator(folder[position - 1]))
            CreateDirectoryW(widened(folder.substr(0, position)).c_str(), nullptr);
    CreateDirectoryW(widened(folder).c_str(), nullptr);
    return folderExists(folder);
}

bool fileExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool removeFile(const std::string& path) {
    return !path.empty() && DeleteFileW(widened(path).c_str());
}

bool readFileBounded(const std::string& path, std::size_t maxBytes, std::string& contents) {
    return readBounded(path, maxBytes, contents);
}

bool readFileBounded(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& contents) {
    return readBounded(path, maxBytes, contents);
}

bool isSameFile(const std::string& a, const std::string& b) {
    const auto identity = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        FileHandle file(CreateFileW(widened(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return file.valid() && GetFileInformationByHandle(file.get(), &info);
    };
    BY_HANDLE_FILE_INFORMATION infoA{}, infoB{};
    return identity(a, infoA) && identity(b, infoB) &&
           infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size, Durability durability) {
    if (path.empty() || isSeparator(path.back()) || (!data && size > 0)) return false;
    // A name no other writer of this process or another one picks: process id and a counter.
    static std::atomic<unsigned> counter{0};
    const std::wstring target = widened(path);
    const std::wstring temporary = target + L".tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(counter.fetch_add(1));
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const bool written = writeAll(file.get(), static_cast<const std::uint8_t*>(data), size) &&
                         (durability == Durability::kRecreatable || FlushFileBuffers(file.get()));
    if (!file.close() || !written ||
        !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace Core
