#include "core/DirectoryIterator.h"

#include "core/platform/win32/WideText.h"

// windows.h first: the shell's headers need its declarations.
#include <windows.h>

#include <shlwapi.h>

namespace Core {
namespace {

struct Search {
    HANDLE handle = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW entry{};
    bool entryPending = false;
};

} // namespace

bool DirectoryIterator::next(std::string& name) {
    if (finished_) return false;
    auto* search = static_cast<Search*>(handle_);
    if (!search) {
        search = new Search;
        handle_ = search;
        // Every entry is listed and matched here: the system's own wildcards also match 8.3 short names.
        search->handle = FindFirstFileExW(widened(folder_ + "\\*").c_str(), FindExInfoBasic, &search->entry,
                                          FindExSearchNameMatch, nullptr, 0);
        if (search->handle == INVALID_HANDLE_VALUE) {
            close();
            return false;
        }
        search->entryPending = true;
    }
    const std::wstring pattern = widened(filePattern_);
    for (;;) {
        if (!search->entryPending && !FindNextFileW(search->handle, &search->entry)) {
            close();
            return false;
        }
        search->entryPending = false;
        const WIN32_FIND_DATAW& entry = search->entry;
        if (!PathMatchSpecW(entry.cFileName, pattern.c_str())) continue;
        const std::string entryName = narrowed(entry.cFileName);
        const bool pseudo = entryName == "." || entryName == "..";
        const bool hidden = entryName[0] == '.' || (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
        const bool system = entry.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM;
        if (!pseudo && ((hidden && !(flags_ & kListHidden)) || (system && !(flags_ & kListSystem)))) {
            name.clear();
            return true;
        }
        name = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" + entryName : entryName;
        if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
        return true;
    }
}

void DirectoryIterator::close() {
    if (auto* search = static_cast<Search*>(handle_)) {
        if (search->handle != INVALID_HANDLE_VALUE) FindClose(search->handle);
        delete search;
    }
    handle_ = nullptr;
    finished_ = true;
}

} // namespace Core
