#pragma once
// The system's codes for the file errors the tests provoke, as Core::lastFileError() reports them.

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace KavrenTest {

#ifdef _WIN32
inline constexpr int kMissingFolderError = ERROR_PATH_NOT_FOUND;
inline constexpr int kMissingFileError = ERROR_FILE_NOT_FOUND;
inline constexpr int kNotAFolderError = ERROR_DIRECTORY;
// Windows cannot make a folder beneath a file: it does not find the path.
inline constexpr int kBeneathAFileError = ERROR_PATH_NOT_FOUND;
#else
inline constexpr int kMissingFolderError = ENOENT;
inline constexpr int kMissingFileError = ENOENT;
inline constexpr int kNotAFolderError = ENOTDIR;
inline constexpr int kBeneathAFileError = ENOTDIR;
#endif

} // namespace KavrenTest
