#pragma once

#include "core/CResourceStore.h"
#include "core/ResourceBlock.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace Core {

/** The library's own store: registered by the library's entry before it creates an instance, from any
 * thread; an empty block until then. */
void setLinkedResources(ResourceBlock block);
ResourceBlock linkedResources();

/**
 * The one way to use the process-wide store, open → read → release → close: an access opens
 * resourceStore() on a block for its lifetime and closes it at the end, freeing any buffer not given
 * back. Accesses on other threads wait meanwhile, so an instance created on a host's worker thread and the
 * editor on the GUI thread never meet inside the store. Nothing else opens resourceStore(). A second
 * access on the same thread while one is alive does not open (it would wait for itself).
 */
class ResourceStoreAccess {
public:
    explicit ResourceStoreAccess(ResourceBlock block = linkedResources());
    ~ResourceStoreAccess();
    ResourceStoreAccess(const ResourceStoreAccess&) = delete;
    ResourceStoreAccess& operator=(const ResourceStoreAccess&) = delete;

    /** False for a missing block, one that is not a store, or a nested access. */
    bool isOpen() const { return open_; }
    /** Open or not: read() then answers null. */
    CResourceStore& store() { return resourceStore(); }
    /** The bytes of the entry named exactly `name`, the store's buffer given back at once; empty when
     * there is no such entry (or it is empty or unreadable). */
    std::vector<std::uint8_t> copy(const char* name);

private:
    std::unique_lock<std::mutex> lock_;
    bool open_ = false;
};

/** One entry copied out of a store under an access of its own; empty as ResourceStoreAccess::copy. */
std::vector<std::uint8_t> readResource(const char* name, ResourceBlock block = linkedResources());

} // namespace Core
