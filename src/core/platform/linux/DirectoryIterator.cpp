#include "core/DirectoryIterator.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace Core {

bool DirectoryIterator::next(std::string& name) {
    if (finished_) return false;
    if (!handle_) {
        handle_ = opendir(folder_.c_str());
        if (!handle_) {
            finished_ = true;
            return false;
        }
    }
    for (;;) {
        const dirent* entry = readdir(static_cast<DIR*>(handle_));
        if (!entry) {
            finished_ = true;
            return false;
        }
        const std::string entryName = entry->d_name;
        if (fnmatch(filePattern_.c_str(), entryName.c_str(), 0) != 0) continue;
        const bool pseudo = entryName == "." || entryName == "..";
        if (!pseudo && entryName[0] == '.' && !(flags_ & kListHidden)) {
            name.clear();
            return true;
        }
        bool isFolder = entry->d_type == DT_DIR;
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            const bool known = stat((folder_ + "/" + entryName).c_str(), &info) == 0;
            isFolder = known && S_ISDIR(info.st_mode);
            isFile = known && S_ISREG(info.st_mode);
        }
        // A FIFO or device would block or never end whoever reads it next: it is not listed at all.
        if (!isFolder && !isFile) {
            name.clear();
            return true;
        }
        name = isFolder ? "/" + entryName : entryName;
        if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
        return true;
    }
}

void DirectoryIterator::close() {
    if (handle_) closedir(static_cast<DIR*>(handle_));
    handle_ = nullptr;
    finished_ = true;
}

} // namespace Core
