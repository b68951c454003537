#include "presets/CPresetChunk.h"

#include "core/CString.h"
#include "core/ResourceFormat.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace Tessu {

using Core::ResourceFormat::readU32;
using Core::ResourceFormat::writeU32;

namespace {

constexpr char kBlockMagic[5] = {'K', 'C', 'n', 'k', '\0'};
constexpr const char* kPresetNameBlock = "PresetName";

void reverseFour(std::uint8_t* bytes) {
    std::swap(bytes[0], bytes[3]);
    std::swap(bytes[1], bytes[2]);
}

void copyName(char* destination, std::size_t length, const char* source) {
    std::memset(destination, 0, length + 1);
    std::strncpy(destination, source, length);
}

} // namespace

CPresetChunk::CPresetChunk() {
    copyName(identifier_, kIdentifierLength, "ppst");
    presetName_[0] = '\0';
}

void CPresetChunk::setIdentifier(const char* identifier) {
    if (identifier) copyName(identifier_, kIdentifierLength, identifier);
}

void CPresetChunk::clear() {
    rawPayload_.clear();
    serialized_.clear();
    blocks_.clear();
}

void CPresetChunk::setPresetName(const char* name) {
    if (!name) return;
    Core::copyTruncated(presetName_, kPresetNameLength + 1, *name ? name : "NoName");
}

void CPresetChunk::appendBlock(std::vector<std::uint8_t>& payload, const char* name, const void* data,
                               std::int32_t size) {
    const std::size_t start = payload.size();
    payload.resize(start + kBlockHeaderSize + static_cast<std::size_t>(size), 0);
    std::uint8_t* header = payload.data() + start;
    std::memcpy(header, kBlockMagic, sizeof kBlockMagic);
    std::strncpy(reinterpret_cast<char*>(header + 5), name, kBlockNameLength);
    writeU32(header + 28, kBlockHeaderSize);
    writeU32(header + 32, kVersion);
    writeU32(header + 36, static_cast<std::uint32_t>(size));
    if (size > 0) std::memcpy(header + kBlockHeaderSize, data, static_cast<std::size_t>(size));
}

void CPresetChunk::addBlock(const char* name, const void* data, std::int32_t size) {
    if (!name || !data || size < 0 || size > kMaxPayloadSize) return;
    Block block{};
    copyName(block.name, kBlockNameLength, name);
    block.offset = rawPayload_.size() + kBlockHeaderSize;
    block.size = size;
    appendBlock(rawPayload_, name, data, size);
    blocks_.push_back(block);
}

void CPresetChunk::addString(std::string name, std::string value) {
    addBlock(name.c_str(), value.c_str(), static_cast<std::int32_t>(value.size() + 1));
}

void CPresetChunk::scramble(std::uint8_t* payload, std::size_t size) {
    if (size < 4) return;
    const std::size_t last = 2 * (size / 2) - 4;
    for (std::size_t k = 0; k <= last; k += 2) reverseFour(payload + k);
}

void CPresetChunk::unscramble(std::uint8_t* payload, std::size_t size) {
    if (size < 4) return;
    for (std::size_t k = 2 * (size / 2) - 4 + 2; k >= 2;) {
        k -= 2;
        reverseFour(payload + k);
    }
}

std::int32_t CPresetChunk::serialize(void** out) {
    if (out) *out = nullptr;
    serialized_.clear();
    if (rawPayload_.empty()) return 0;

    std::vector<std::uint8_t> raw = rawPayload_;
    if (presetName_[0])
        appendBlock(raw, kPresetNameBlock, presetName_,
                    static_cast<std::int32_t>(std::strlen(presetName_) + 1));

    serialized_.assign(kHeaderSize + raw.size() + 12, 0);
    std::uint8_t* header = serialized_.data();
    std::uint8_t* stored = header + kHeaderSize;
    uLongf storedSize = static_cast<uLongf>(raw.size() + 12);
    bool compressed =
        compress_ && compress2(stored, &storedSize, raw.data(), static_cast<uLong>(raw.size()), 9) == Z_OK;
    if (!compressed) {
        std::memcpy(stored, raw.data(), raw.size());
        storedSize = static_cast<uLongf>(raw.size());
    }
    if (compress_) scramble(stored, storedSize);

    std::memcpy(header, identifier_, kIdentifierLength);
    writeU32(header + 24, kHeaderSize);
    writeU32(header + 28, kVersion);
    writeU32(header + 32, compressed ? 1 : 0);
    writeU32(header + 36, static_cast<std::uint32_t>(storedSize));
    writeU32(header + 40, static_cast<std::uint32_t>(raw.size()));
    serialized_.resize(kHeaderSize + storedSize);
    if (out) *out = serialized_.data();
    return static_cast<std::int32_t>(serialized_.size());
}

std::int32_t CPresetChunk::parse(const void* data, std::int32_t size) {
    // The serialised chunk stays: a caller may parse the very buffer serialize() handed out.
    blocks_.clear();
    rawPayload_.clear();
    if (!data || size < kHeaderSize) return kRejected;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (std::strncmp(reinterpret_cast<const char*>(bytes), identifier_, kIdentifierLength) != 0)
        return kRejected;
    const std::uint32_t headerSize = readU32(bytes + 24);
    const std::int32_t version = static_cast<std::int32_t>(readU32(bytes + 28));
    const std::uint32_t compressed = readU32(bytes + 32);
    const std::uint32_t storedSize = readU32(bytes + 36);
    const std::uint32_t rawSize = readU32(bytes + 40);
    if (headerSize < static_cast<std::uint32_t>(kHeaderSize) ||
        std::uint64_t{storedSize} + headerSize > static_cast<std::uint64_t>(size) || version > kVersion)
        return kRejected;

    std::vector<std::uint8_t> stored(bytes + headerSize, bytes + headerSize + storedSize);
    unscramble(stored.data(), stored.size());

    if (rawSize > static_cast<std::uint32_t>(kMaxPayloadSize)) return kParsed;
    std::vector<std::uint8_t> raw(rawSize);
    if (compressed == 1) {
        uLongf produced = static_cast<uLongf>(raw.size());
        if (uncompress(raw.data(), &produced, stored.data(), static_cast<uLong>(stored.size())) != Z_OK)
            return kParsed;
        raw.resize(produced);
    } else {
        if (rawSize > storedSize) return kParsed;
        std::copy_n(stored.begin(), rawSize, raw.begin());
    }
    rawPayload_ = std::move(raw);
    readBlocks();

    void* name = nullptr;
    const std::int32_t nameSize = findBlock(kPresetNameBlock, &name);
    if (name) {
        const std::size_t length =
            strnlen(static_cast<const char*>(name), static_cast<std::size_t>(nameSize));
        if (length <= static_cast<std::size_t>(kPresetNameLength))
            setPresetName(std::string(static_cast<const char*>(name), length).c_str());
    }
    return kParsed;
}

void CPresetChunk::readBlocks() {
    std::size_t position = 0;
    while (rawPayload_.size() - position >= static_cast<std::size_t>(kBlockHeaderSize)) {
        const std::uint8_t* header = rawPayload_.data() + position;
        const std::size_t remaining = rawPayload_.size() - position;
        const std::uint64_t headerSize = readU32(header + 28);
        const std::int32_t version = static_cast<std::int32_t>(readU32(header + 32));
        const std::uint64_t dataSize = readU32(header + 36);
        if (std::memcmp(header, kBlockMagic, sizeof kBlockMagic) != 0 || headerSize < kBlockHeaderSize ||
            headerSize + dataSize > remaining || version > kVersion)
            break;
        Block block{};
        copyName(block.name, kBlockNameLength, reinterpret_cast<const char*>(header + 5));
        block.offset = position + headerSize;
        block.size = static_cast<std::int32_t>(dataSize);
        blocks_.push_back(block);
        position += headerSize + dataSize;
    }
}

std::int32_t CPresetChunk::findBlock(const char* name, void** data) {
    if (data) *data = nullptr;
    if (!name) return 0;
    char wanted[kBlockNameLength + 1];
    copyName(wanted, kBlockNameLength, name);
    for (const Block& block : blocks_) {
        if (std::strcmp(block.name, wanted) != 0) continue;
        if (data) *data = rawPayload_.data() + block.offset;
        return block.size;
    }
    return 0;
}

} // namespace Tessu
