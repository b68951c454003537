#pragma once

// Layout of the embedded resource store; the reader (CResourceStore) and the packer (tools/packres) share it.
//
//   0   "RESOURCE2", NUL-padded to 12 bytes
//   12  u32 directoryOffset D
//   D   u32 entry record size (268; informational), u32 dataOffset (from D), u32 directorySize,
//       u32 directoryPackedSize, u32 entryCount, then the zlib-compressed directory
//   D + dataOffset: the data area; entries are found by their offsets into it
//
// Directory entry (268 bytes): char name[256] (NUL-terminated), i32 size, i32 packedSize (<= 0: stored),
// i32 offset. All integers little-endian.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Core::ResourceFormat {

inline constexpr char kMarker[] = "RESOURCE2";
inline constexpr std::size_t kMarkerCheckLength = 8; // "RESOURCE": anything else is the older layout
inline constexpr std::size_t kMarkerFieldSize = 12;
inline constexpr std::uint32_t kDirectoryOffset = 20;
inline constexpr std::size_t kDirectoryHeaderSize = 20;
inline constexpr std::size_t kNameSize = 256;
inline constexpr std::size_t kEntrySize = 268;
inline constexpr std::int32_t kStored = -1;

/** Bounds that no header field can talk the reader past. */
inline constexpr std::uint32_t kMaxEntries = 65536;
inline constexpr std::int32_t kMaxEntrySize = 16 * 1024 * 1024;

/** Stored (uncompressed) entries are kept with every byte XORed: one mask at even, another at odd offsets. */
inline constexpr std::uint8_t kEvenMask = 0x5B;
inline constexpr std::uint8_t kOddMask = 0xC6;

/** The mask is its own inverse: applying it twice restores the bytes. */
inline void applyStoredEntryMask(std::uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) bytes[i] ^= (i & 1) ? kOddMask : kEvenMask;
}

inline std::uint32_t readU32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void writeU32(std::uint8_t* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace Core::ResourceFormat
