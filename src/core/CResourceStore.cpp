#include "core/CResourceStore.h"

#include "core/ResourceFormat.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace Core {

using namespace ResourceFormat;

bool CResourceStore::open(const void* block, std::size_t length) {
    if (isOpen() || !block || length < kMarkerFieldSize + 4) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(block);
    if (std::memcmp(bytes, kMarker, kMarkerCheckLength) != 0) return false;
    block_ = bytes;
    length_ = length;
    if (readDirectory(bytes, length)) return true;
    entries_.clear();
    dataArea_ = nullptr;
    dataAreaLength_ = 0;
    return false;
}

bool CResourceStore::readDirectory(const std::uint8_t* block, std::size_t length) {
    const std::uint64_t directory = readU32(block + kMarkerFieldSize);
    if (directory + kDirectoryHeaderSize > length) return false;
    const std::uint8_t* header = block + directory;
    const std::uint64_t dataOffset = readU32(header + 4);
    const std::uint64_t directorySize = readU32(header + 8);
    const std::uint64_t packedSize = readU32(header + 12);
    const std::uint64_t entryCount = readU32(header + 16);
    if (entryCount > kMaxEntries || directorySize != entryCount * kEntrySize) return false;
    if (directory + kDirectoryHeaderSize + packedSize > length || directory + dataOffset > length)
        return false;

    std::vector<std::uint8_t> raw(directorySize + 100);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, header + kDirectoryHeaderSize, static_cast<uLong>(packedSize)) !=
            Z_OK ||
        rawSize != directorySize)
        return false;

    dataArea_ = block + directory + dataOffset;
    dataAreaLength_ = length - (directory + dataOffset);
    entries_.resize(entryCount);
    for (std::size_t i = 0; i < entryCount; ++i) {
        const std::uint8_t* record = raw.data() + i * kEntrySize;
        ResourceEntry& entry = entries_[i];
        std::memcpy(entry.name, record, kNameSize);
        entry.size = static_cast<std::int32_t>(readU32(record + kNameSize));
        entry.packedSize = static_cast<std::int32_t>(readU32(record + kNameSize + 4));
        entry.offset = static_cast<std::int32_t>(readU32(record + kNameSize + 8));
        if (!std::memchr(entry.name, 0, kNameSize)) return false;
        if (entry.size < 0 || entry.size > kMaxEntrySize || entry.offset < 0) return false;
        const std::uint64_t extent = entry.packedSize > 0 ? entry.packedSize : entry.size;
        if (static_cast<std::uint64_t>(entry.offset) + extent > dataAreaLength_) return false;
    }
    return true;
}

std::int32_t CResourceStore::count() const {
    return isOpen() ? static_cast<std::int32_t>(entries_.size()) : -1;
}

const ResourceEntry* CResourceStore::entryAt(std::int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}

std::uint8_t* CResourceStore::read(const char* name, std::int32_t& size) {
    size = 0;
    if (!name) return nullptr;
    const auto found = std::find_if(entries_.begin(), entries_.end(), [name](const ResourceEntry& entry) {
        return std::strcmp(entry.name, name) == 0;
    });
    if (found == entries_.end()) return nullptr;
    const ResourceEntry& entry = *found;

    const std::size_t capacity = static_cast<std::size_t>(entry.size) + 20;
    auto buffer = std::make_unique<std::uint8_t[]>(capacity);
    const std::uint8_t* source = dataArea_ + entry.offset;
    std::int32_t produced = entry.size;
    if (entry.packedSize > 0) {
        uLongf inflated = static_cast<uLongf>(capacity);
        if (uncompress(buffer.get(), &inflated, source, static_cast<uLong>(entry.packedSize)) != Z_OK)
            return nullptr;
        produced = static_cast<std::int32_t>(inflated);
    } else {
        std::memcpy(buffer.get(), source, static_cast<std::size_t>(entry.size));
        applyStoredEntryMask(buffer.get(), static_cast<std::size_t>(entry.size));
    }
    handedOut_.push_back(std::move(buffer));
    size = produced;
    return handedOut_.back().get();
}

void CResourceStore::release(std::uint8_t* buffer) {
    std::erase_if(handedOut_, [buffer](const auto& held) { return held.get() == buffer; });
}

void CResourceStore::close() {
    handedOut_.clear();
    entries_.clear();
    block_ = nullptr;
    length_ = 0;
    dataArea_ = nullptr;
    dataAreaLength_ = 0;
}

CResourceStore& resourceStore() {
    static CResourceStore store;
    return store;
}

} // namespace Core
