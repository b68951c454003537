#include "update/InstallerFile.h"

#include "core/platform/win32/WideText.h"

#include <atomic>
#include <cstdio>
#include <io.h>
#include <windows.h>

namespace Pellu {

InstallerFile::~InstallerFile() {
    if (file_) std::fclose(file_);
    if (!temporary_.empty()) DeleteFileW(Core::widened(temporary_).c_str());
}

bool InstallerFile::open() {
    if (folder_.empty() || name_.empty() || file_) return false;
    static std::atomic<unsigned> counter{0};
    const std::string path = folder_ + "." + name_ + ".part-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(counter.fetch_add(1));
    // "x": fail rather than reuse a file someone else left; "N": not inherited by started programs.
    file_ = _wfopen(Core::widened(path).c_str(), L"wbxN");
    if (file_) temporary_ = path;
    return file_ != nullptr;
}

std::string InstallerFile::commit() {
    if (!file_) return {};
    const bool flushed =
        std::fflush(file_) == 0 && FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file_))));
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) return {};
    const std::wstring temporary = Core::widened(temporary_);
    for (int number = 1; number <= kMaxInstallerNameAttempts; ++number) {
        const std::string path = folder_ + numberedFileName(name_, number);
        // Without MOVEFILE_REPLACE_EXISTING the move never replaces a file.
        if (MoveFileExW(temporary.c_str(), Core::widened(path).c_str(), MOVEFILE_WRITE_THROUGH)) {
            temporary_.clear();
            return path;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return {};
    }
    return {};
}

} // namespace Pellu
