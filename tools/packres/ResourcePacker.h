#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Packres {

struct PackEntry {
    std::string name; ///< path inside the store, "/" as separator
    std::vector<std::uint8_t> content;
};

/** Entries at least this large are compressed (when that makes them smaller); the rest are stored masked. */
inline constexpr std::size_t kDefaultCompressAbove = 32 * 1024;

/**
 * Builds a "RESOURCE2" store from the entries, in their order. Answers false with a message for names
 * that are empty, too long (255 bytes at most) or repeated, and for entries beyond the reader's limits.
 */
bool packStore(const std::vector<PackEntry>& entries, std::size_t compressAbove,
               std::vector<std::uint8_t>& store, std::string& error);

/**
 * Reads a list file of "name=path" lines (split at the first "="; blank lines ignored). Relative paths are
 * taken from `baseFolder`. Loads every file's content.
 */
bool readEntryList(const std::string& listFile, const std::string& baseFolder,
                   std::vector<PackEntry>& entries, std::string& error);

} // namespace Packres
