#pragma once

#include "core/ResourceBlock.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Core {

struct ResourceEntry {
    char name[256]; ///< path inside the store, "/" as separator, NUL-terminated
    std::int32_t size;
    std::int32_t packedSize; ///< <= 0: stored (masked), not compressed
    std::int32_t offset;     ///< from the start of the data area
};

/**
 * Reader of the "RESOURCE2" store. Every directory entry is checked against the block's bounds when the
 * store opens, so reads never leave the block; a directory that fails any check leaves the store open but
 * empty. Not thread-safe: the process-wide one is used through ResourceStoreAccess.
 */
class CResourceStore {
public:
    CResourceStore() = default;
    ~CResourceStore() { close(); }
    CResourceStore(const CResourceStore&) = delete;
    CResourceStore& operator=(const CResourceStore&) = delete;

    /**
     * Opens a block, which must outlive the open store. Answers false when a store is already open, when
     * the block does not start with the store marker (the older layout is not supported; the store stays
     * closed), or when the directory is unreadable (the store is open with no entries).
     */
    bool open(const void* block, std::size_t length);
    bool open(const ResourceBlock& block) { return open(block.data, block.size); }
    bool isOpen() const { return block_ != nullptr; }

    /** Number of entries; -1 when no store is open. */
    std::int32_t count() const;
    const ResourceEntry* entryAt(std::int32_t index) const;

    /**
     * A fresh buffer with the bytes of the entry named exactly `name` (case-sensitive, first match), and
     * its size; null and size 0 when there is none or its data is corrupt. Give it back with release().
     */
    std::uint8_t* read(const char* name, std::int32_t& size);
    void release(std::uint8_t* buffer);
    /** Frees everything, buffers not yet released included. */
    void close();

    std::size_t outstandingBuffers() const { return handedOut_.size(); }

private:
    bool readDirectory(const std::uint8_t* block, std::size_t length);

    const std::uint8_t* block_ = nullptr;
    std::size_t length_ = 0;
    std::vector<ResourceEntry> entries_;
    const std::uint8_t* dataArea_ = nullptr;
    std::size_t dataAreaLength_ = 0;
    std::vector<std::unique_ptr<std::uint8_t[]>> handedOut_;
};

/** The process-wide store: one open store at a time, opened and closed by ResourceStoreAccess only. */
CResourceStore& resourceStore();

} // namespace Core
