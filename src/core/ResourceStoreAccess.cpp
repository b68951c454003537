#include "core/ResourceStoreAccess.h"

namespace Core {

namespace {

std::mutex& storeGuard() {
    static std::mutex guard;
    return guard;
}

std::mutex& linkedGuard() {
    static std::mutex guard;
    return guard;
}

ResourceBlock& linkedBlock() {
    static ResourceBlock block;
    return block;
}

thread_local bool accessAlive = false;

} // namespace

void setLinkedResources(ResourceBlock block) {
    std::lock_guard lock(linkedGuard());
    linkedBlock() = block;
}

ResourceBlock linkedResources() {
    std::lock_guard lock(linkedGuard());
    return linkedBlock();
}

ResourceStoreAccess::ResourceStoreAccess(ResourceBlock block) {
    if (accessAlive) return;
    lock_ = std::unique_lock(storeGuard());
    accessAlive = true;
    CResourceStore& shared = resourceStore();
    if (shared.isOpen()) return; // opened outside any access: not ours to use or close
    open_ = shared.open(block);
    // A block that starts like a store but has an unreadable directory leaves it open and empty.
    if (!open_) shared.close();
}

ResourceStoreAccess::~ResourceStoreAccess() {
    if (open_) resourceStore().close();
    if (lock_.owns_lock()) accessAlive = false;
}

std::vector<std::uint8_t> ResourceStoreAccess::copy(const char* name) {
    if (!open_) return {};
    std::int32_t size = 0;
    std::uint8_t* bytes = store().read(name, size);
    std::vector<std::uint8_t> copied(bytes, bytes + (bytes ? size : 0));
    store().release(bytes);
    return copied;
}

std::vector<std::uint8_t> readResource(const char* name, ResourceBlock block) {
    ResourceStoreAccess access(block);
    return access.copy(name);
}

} // namespace Core
