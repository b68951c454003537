#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Core {

/** Upper bound for any file the program reads whole; larger files are refused, not truncated. */
inline constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

/**
 * Why the last file call of this thread failed, as the system numbers it (errno on Linux, GetLastError()
 * on Windows); every function here that answers false leaves its reason there.
 */
int lastFileError();
/** The system's own text for such a reason, in the system's language, without a line break. */
std::string fileErrorText(int error);

/** Creates the folder and every missing parent folder; answers whether the folder exists afterwards. */
bool createFolders(const std::string& folder);

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
bool removeFile(const std::string& path);

/**
 * Reads a whole file of at most `maxBytes` bytes; a larger or unreadable file leaves `contents` untouched.
 * Anything but a regular file (FIFO, device, folder) is refused without waiting on it.
 */
bool readFileBounded(const std::string& path, std::size_t maxBytes, std::string& contents);
bool readFileBounded(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& contents);

/** Both paths name the same existing file (as on a file system that ignores case). */
bool isSameFile(const std::string& a, const std::string& b);

/**
 * Whether a write waits until the bytes are on the disk. Only files that can be made again (the factory
 * presets) skip the wait: about 3 ms per file on an ext4 disk, 0.4 s for the factory library.
 */
enum class Durability { kFlushed, kRecreatable };

/**
 * Replaces the file with `size` bytes, atomically: the bytes go to a temporary file in the same folder,
 * which is flushed (unless recreatable) and renamed over the target. Readers see the old or the new file,
 * never a partial one.
 * A target that exists but is no regular file is never replaced: a folder is refused, a device, FIFO or
 * pipe gets the bytes written through (a FIFO without a reader is refused, not waited for). On failure
 * the old file is intact and lastFileError() says why.
 */
bool writeFileAtomically(const std::string& path, const void* data, std::size_t size,
                         Durability durability = Durability::kFlushed);

} // namespace Core
