#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Core {

/** Upper bound for any file the program reads whole; larger files are refused, not truncated. */
inline constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

/** Creates the folder and every missing parent folder; answers whether the folder exists afterwards. */
bool createFolders(const std::string& folder);

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
bool removeFile(const std::string& path);

/** Reads a whole file of at most `maxBytes` bytes; a larger or unreadable file leaves `contents` untouched.
 */
bool readFileBounded(const std::string& path, std::size_t maxBytes, std::string& contents);
bool readFileBounded(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& contents);

/**
 * Replaces the file with `size` bytes, atomically: the bytes go to a temporary file in the same folder,
 * which is flushed and renamed over the target. Readers see the old or the new file, never a partial one.
 */
bool writeFileAtomically(const std::string& path, const void* data, std::size_t size);

} // namespace Core
