#include "core/DirectoryIterator.h"

namespace Core {

DirectoryIterator::DirectoryIterator(std::string pattern, std::uint32_t flags) : flags_(flags) {
    // Single characters are assigned by count: GCC 12 misreads a literal assignment here as overlapping.
    const auto slash = pattern.find_last_of('/');
    if (slash == std::string::npos) {
        folder_.assign(1, '.');
        filePattern_ = pattern;
    } else {
        folder_ = slash == 0 ? std::string(1, '/') : pattern.substr(0, slash);
        filePattern_ = pattern.substr(slash + 1);
    }
    if (filePattern_.empty()) filePattern_.assign(1, '*');
}

DirectoryIterator::~DirectoryIterator() {
    close();
}

} // namespace Core
