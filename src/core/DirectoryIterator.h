#pragma once

#include <cstdint>
#include <string>

namespace Core {

/**
 * Lists the entries of one folder that match a wildcard pattern: the folder, a "/", then a file pattern
 * after fnmatch rules such as "*" or "*.fxp". Folders arrive as "/" + name (so "/." and "/.." too), regular
 * files as bare names, at most kMaxNameLength bytes. An entry that the flags exclude, and any entry that is
 * neither a folder nor a regular file (FIFO, device, socket, broken link), yields true with an empty name;
 * callers skip those.
 */
class DirectoryIterator {
public:
    enum Flags : std::uint32_t {
        kListHidden = 1u << 0, ///< include names starting with "." (other than "." and "..")
        kListSystem = 1u << 1, ///< accepted for portability; Linux has no system entries
    };
    static constexpr std::size_t kMaxNameLength = 258;

    explicit DirectoryIterator(std::string pattern, std::uint32_t flags = 0);
    ~DirectoryIterator();
    DirectoryIterator(const DirectoryIterator&) = delete;
    DirectoryIterator& operator=(const DirectoryIterator&) = delete;

    /** The first call starts the search; false when no entry remains (or the folder cannot be read). */
    bool next(std::string& name);
    /** Ends the search; a second close does nothing. */
    void close();

private:
    std::string folder_;
    std::string filePattern_;
    std::uint32_t flags_;
    void* handle_ = nullptr;
    bool finished_ = false;
};

} // namespace Core
