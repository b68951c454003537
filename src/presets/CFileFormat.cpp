#include "presets/CFileFormat.h"

#include "core/CString.h"
#include "core/FileSystem.h"
#include "core/Paths.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace Tessu {
namespace {

void writeBigEndian(std::uint8_t* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

std::uint32_t readBigEndian(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

/** The common first 28 bytes of both forms. */
void writeCommonHeader(std::uint8_t* header, const char* formatMagic, std::uint32_t byteSize,
                       std::int32_t uniqueId) {
    std::memcpy(header, "CcnK", 4);
    writeBigEndian(header + 4, byteSize);
    std::memcpy(header + 8, formatMagic, 4);
    writeBigEndian(header + 12, 1);
    writeBigEndian(header + 16, static_cast<std::uint32_t>(uniqueId));
    writeBigEndian(header + 20, 1);
    writeBigEndian(header + 24, 0);
}

bool commonHeaderMatches(std::span<const std::uint8_t> file, const char* formatMagic, std::int32_t uniqueId) {
    return file.size() >= 24 && std::memcmp(file.data(), "CcnK", 4) == 0 &&
           readBigEndian(file.data() + 16) == static_cast<std::uint32_t>(uniqueId) &&
           std::memcmp(file.data() + 8, formatMagic, 4) == 0;
}

/** The chunk whose big-endian size stands at `sizeOffset` and whose bytes follow it, when it fits. */
std::span<const std::uint8_t> chunkAfter(std::span<const std::uint8_t> file, std::size_t sizeOffset) {
    if (file.size() < sizeOffset + 4) return {};
    const std::uint32_t size = readBigEndian(file.data() + sizeOffset);
    const std::size_t start = sizeOffset + 4;
    if (size == 0 || size > kMaxPresetFileSize || size > file.size() - start) return {};
    return file.subspan(start, size);
}

bool validChunk(const void* data, std::int32_t size) {
    return data && size > 0 && static_cast<std::size_t>(size) <= kMaxPresetFileSize;
}

void handOut(std::span<const std::uint8_t> bytes, void** data, std::int32_t* size) {
    void* copy = std::malloc(bytes.empty() ? 1 : bytes.size());
    if (!copy) return;
    if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
    *data = copy;
    *size = static_cast<std::int32_t>(bytes.size());
}

/** Reads a whole file for one of the formats; false leaves the outputs alone. */
bool readWhole(const char* path, void** data, std::int32_t* size, std::vector<std::uint8_t>& bytes) {
    return path && data && size && Core::readFileBounded(path, kMaxPresetFileSize + 160, bytes);
}

} // namespace

void CFileFormat::load(const char* path, void** data, std::int32_t* size) {
    std::vector<std::uint8_t> bytes;
    if (!path || !data || !size || !Core::readFileBounded(path, kMaxPresetFileSize, bytes)) return;
    handOut(bytes, data, size);
}

bool CFileFormat::save(const char* path, const void* data, std::int32_t size) {
    return path && (data || size == 0) && size >= 0 &&
           Core::writeFileAtomically(path, data, static_cast<std::size_t>(size));
}

void CFileFormat::freeData(void* data) {
    std::free(data);
}

std::vector<std::uint8_t> CPresetFormatFXP::encode(const char* path, const void* chunk,
                                                   std::int32_t size) const {
    if (!validChunk(chunk, size)) return {};
    std::vector<std::uint8_t> file(kHeaderSize + static_cast<std::size_t>(size), 0);
    writeCommonHeader(file.data(), "FPCh", static_cast<std::uint32_t>(size) + 52, uniqueId_);
    const std::string name = Core::fileStem(path ? path : "");
    Core::copyTruncated(reinterpret_cast<char*>(file.data() + 28), kProgramNameSize, name.c_str());
    writeBigEndian(file.data() + 56, static_cast<std::uint32_t>(size));
    std::memcpy(file.data() + kHeaderSize, chunk, static_cast<std::size_t>(size));
    return file;
}

std::span<const std::uint8_t> CPresetFormatFXP::decode(std::span<const std::uint8_t> file) const {
    if (!commonHeaderMatches(file, "FPCh", uniqueId_)) return {};
    return chunkAfter(file, 56);
}

void CPresetFormatFXP::load(const char* path, void** data, std::int32_t* size) {
    std::vector<std::uint8_t> bytes;
    if (!readWhole(path, data, size, bytes)) return;
    const auto chunk = decode(bytes);
    if (!chunk.empty()) handOut(chunk, data, size);
}

bool CPresetFormatFXP::save(const char* path, const void* data, std::int32_t size) {
    if (!path) return false;
    const auto file = encode(path, data, size);
    return !file.empty() && Core::writeFileAtomically(path, file.data(), file.size());
}

std::vector<std::uint8_t> CPresetFormatFXB::encode(const void* chunk, std::int32_t size) const {
    if (!validChunk(chunk, size)) return {};
    std::vector<std::uint8_t> file(kHeaderSize + static_cast<std::size_t>(size), 0);
    writeCommonHeader(file.data(), "FBCh", static_cast<std::uint32_t>(size) + 152, uniqueId_);
    writeBigEndian(file.data() + 156, static_cast<std::uint32_t>(size));
    std::memcpy(file.data() + kHeaderSize, chunk, static_cast<std::size_t>(size));
    return file;
}

std::span<const std::uint8_t> CPresetFormatFXB::decode(std::span<const std::uint8_t> file) const {
    if (file.size() < kHeaderSize || !commonHeaderMatches(file, "FBCh", uniqueId_)) return {};
    return chunkAfter(file, 156);
}

void CPresetFormatFXB::load(const char* path, void** data, std::int32_t* size) {
    std::vector<std::uint8_t> bytes;
    if (!readWhole(path, data, size, bytes)) return;
    const auto chunk = decode(bytes);
    if (!chunk.empty()) handOut(chunk, data, size);
}

bool CPresetFormatFXB::save(const char* path, const void* data, std::int32_t size) {
    if (!path) return false;
    const auto file = encode(data, size);
    return !file.empty() && Core::writeFileAtomically(path, file.data(), file.size());
}

CFileFormat& rawFileFormat() {
    static CFileFormat format;
    return format;
}

CPresetFormatFXP& fxpFormat() {
    static CPresetFormatFXP format;
    return format;
}

CPresetFormatFXB& fxbFormat() {
    static CPresetFormatFXB format;
    return format;
}

} // namespace Tessu
