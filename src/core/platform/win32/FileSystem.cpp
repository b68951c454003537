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

bool failWith(DWORD error) {
    SetLastError(error);
    return false;
}

} // namespace

int lastFileError() {
    return static_cast<int>(GetLastError());
}

std::string fileErrorText(int error) {
    if (!error) return "unknown error";
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string message = length && text ? narrowed(text, static_cast<int>(length))
                                         : "system error " + std::to_string(static_cast<DWORD>(error));
    LocalFree(text);
    // The system's texts end in a line break, which the message boxes and error lines add themselves.
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

bool createFolders(const std::string& folder) {
    if (folder.empty()) return failWith(ERROR_INVALID_NAME);
    // Every prefix that ends before a separator, then the whole path; "C:" and "\\server" fail harmlessly.
    // The reason is the first folder that could not be made: the deeper ones fail only for want of it.
    DWORD error = ERROR_SUCCESS;
    const auto create = [&error](const std::string& path) {
        if (CreateDirectoryW(widened(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
            error = ERROR_SUCCESS;
        else if (error == ERROR_SUCCESS)
            error = GetLastError();
    };
    for (std::size_t position = 1; position < folder.size(); ++position)
        if (isSeparator(folder[position]) && !isSeparator(folder[position - 1]))
            create(folder.substr(0, position));
    create(folder);
    return folderExists(folder) || failWith(error != ERROR_SUCCESS ? error : ERROR_DIRECTORY);
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
    return path.empty() ? failWith(ERROR_INVALID_NAME) : DeleteFileW(widened(path).c_str()) != 0;
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
    if (path.empty() || isSeparator(path.back()) || (!data && size > 0)) return failWith(ERROR_INVALID_NAME);
    // A name no other writer of this process or another one picks: process id and a counter.
    static std::atomic<unsigned> counter{0};
    const std::wstring target = widened(path);
    const std::wstring temporary = target + L".tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(counter.fetch_add(1));
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const bool replaced =
        writeAll(file.get(), static_cast<const std::uint8_t*>(data), size) &&
        (durability == Durability::kRecreatable || FlushFileBuffers(file.get())) && file.close() &&
        MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (replaced) return true;
    // The reason survives the clean-up.
    const DWORD error = GetLastError();
    file.close();
    DeleteFileW(temporary.c_str());
    return failWith(error);
}

} // namespace Core
